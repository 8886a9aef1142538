#include "playback/audio_thread.h"

#include <cstring>
#include <memory>

#include "codecs/audio_decoder_entries.h"
#include "codecs/codec_loading.h"
#include "codecs/codec_messages.h"
#include "core/player_state.h"
#include "core/shared_word.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/thread.h"
#include "playback/audio_output.h"
#include "playback/engine_events.h"
#include "playback/engine_state.h"
#include "playback/frame_presenter.h"

namespace {

constexpr int32_t kEndOfAudio = -3;
constexpr uint32_t kBusyRetryMs = 300;
constexpr uint32_t kDeviceZeroRetryMs = 1000;
constexpr int32_t kHighestRate = 44100;

struct AudioPass {
  uint8_t input[AUDIO_INPUT_SIZE];
  int32_t rate = 0, channels = 0, bitrate = 0;
  int64_t runningTotal = 0;
  WaveFormat format{};
};

int32_t KeepCount(int32_t status) {
  return status == AUDIO_STATUS_CONSUMED || status < 0 ? 0 : status;
}

int32_t ReadBehind(AudioPass& pass, int32_t keep) {
  if (keep > 0) std::memmove(pass.input, pass.input + AUDIO_INPUT_SIZE - keep, keep);
  return readerOps.ReadAudio(pass.input + keep, AUDIO_INPUT_SIZE - keep);
}

int32_t HeaderCall(AudioPass& pass, int32_t length) {
  return audioDecoder.GetHeaderInfo.load()(pass.input, length, &pass.rate, &pass.channels,
                                           &pass.bitrate, audioTitle, audioArtist, audioAlbum);
}

// The stream header: true when the decoder is ready. Otherwise *status says why not: 0 for a
// stream without a byte, kEndOfAudio when it ran out during the header.
bool ReadStreamHeader(AudioPass& pass, bool firstPass, int32_t* status) {
  *status = 0;
  if (firstPass && readerOps.ReadAudio(pass.input, AUDIO_INPUT_SIZE) == 0) return false;
  while ((*status = HeaderCall(pass, AUDIO_INPUT_SIZE)) != AUDIO_STATUS_READY) {
    if (ReadBehind(pass, KeepCount(*status)) == 0) {
      *status = kEndOfAudio;
      return false;
    }
  }
  return true;
}

void SetFormatRate(WaveFormat& format, int32_t rate) {
  format.samplesPerSec = static_cast<uint32_t>(rate);
  format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
}

WaveFormat PcmFormat(int32_t channels, int32_t rate) {
  WaveFormat format{};
  format.formatTag = WAVE_FORMAT_PCM;
  format.channels = static_cast<uint16_t>(channels);
  format.bitsPerSample = 16;
  format.blockAlign = static_cast<uint16_t>(channels * 2);
  SetFormatRate(format, rate);
  return format;
}

uint32_t OpenDevice(uint32_t id, const WaveFormat& format) {
  WaveOutHandle device = nullptr;
  const uint32_t result = WaveOutOpen(&device, id, &format, BufferDone, 0, CALLBACK_FUNCTION);
  waveBytesPerSecond = format.avgBytesPerSec;
  waveDevice = result == MMSYSERR_NOERROR ? device : nullptr;
  return result;
}

void ShowAudioMessage(const char16_t* text, const char16_t* title) {
  MessageBox(mainWindow, text, title);
}

// A device refused the format: the decoder starts again, asked for a rate the device may take.
void RetryAtLowerRate(AudioPass& pass) {
  audioDecoder.DecoderExit.load()();
  audioDecoder.DecoderInit.load()(playerSettings.equalizerOn, nullptr);
  pass.rate = pass.rate == 48000 ? AUDIO_RETRY_RATE_HIGH : AUDIO_RETRY_RATE_LOW;
  HeaderCall(pass, AUDIO_RETRY_INPUT_SIZE);
  SetFormatRate(pass.format, pass.rate);
}

// The mapper, then its fallbacks; every refusal on the way is answered as the device expects.
void OpenSoundDevice(AudioPass& pass) {
  uint32_t result = OpenDevice(WAVE_MAPPER, pass.format);
  if (result == MMSYSERR_ALLOCATED) {
    Sleep(kBusyRetryMs);
    result = OpenDevice(WAVE_MAPPER, pass.format);
  }
  if (result == WAVERR_BADFORMAT) {
    RetryAtLowerRate(pass);
    result = OpenDevice(WAVE_MAPPER, pass.format);
  }
  if (result != MMSYSERR_NOERROR) {
    Sleep(kDeviceZeroRetryMs);
    if (OpenDevice(0, pass.format) != MMSYSERR_NOERROR) {
      if (static_cast<int32_t>(pass.format.samplesPerSec) > kHighestRate) {
        ShowAudioMessage(
            u"Samplerate greater than 44kHz are not supported!\n44kHz was used instead.",
            u"Audio Format Problem");
        SetFormatRate(pass.format, kHighestRate);
        OpenDevice(0, pass.format);
      } else {
        ShowAudioMessage(u"Error in Audio", u"Wave Open Error");
      }
    }
  }
  if (!waveDevice) ShowAudioMessage(u"Disable Audio", u"");
}

// The clock position of a buffer: the decoder's position when it reports a bit rate (or the item
// has no video), otherwise the PCM bytes since the thread started.
int32_t ClockPosition(const AudioPass& pass, int32_t decoderPosition) {
  if (pass.bitrate > 0 || currentDescriptor->FrameCount == 0) return decoderPosition;
  return static_cast<int32_t>(pass.runningTotal);
}

// One DecompressAudio call into a fresh buffer, queued; the status, or -2 when it was aborted.
int32_t DecodeOneBuffer(AudioPass& pass, const uint8_t* input, int32_t length) {
  WaveBuffer* buffer = AllocateWaveBuffer();
  if (!buffer) return AUDIO_STATUS_ABORT;
  int32_t outLength = 0, position = 0;
  const int32_t status = audioDecoder.DecompressAudio.load()(
      input, length, buffer->data, AUDIO_OUTPUT_CAPACITY, &outLength, &position);
  if (status == AUDIO_STATUS_ABORT) {
    ReleaseWaveBuffer(buffer);
    return status;
  }
  if (!input && outLength > 0 && discardNextOutput.exchange(0)) outLength = 0;
  pass.runningTotal += outLength;
  QueueWaveBuffer(buffer, outLength, ClockPosition(pass, position));
  return status;
}

int32_t DecodeLoop(AudioPass& pass, int32_t status) {
  const EventHandle nextFrame = EngineEventHandle(EngineEvent::NextFrame);
  do {
    SetEvent(nextFrame);
    const int32_t keep = KeepCount(status);
    int32_t length = keep;
    if (keep != AUDIO_INPUT_SIZE) {
      const int32_t read = ReadBehind(pass, keep);
      if (read == 0) return kEndOfAudio;
      length += read;
    }
    status = DecodeOneBuffer(pass, pass.input, length);
    if (status == AUDIO_STATUS_ABORT) return status;
    while (status == AUDIO_STATUS_READY && !stopRequested) {
      if (paused) {
        Sleep(1);
        continue;
      }
      status = DecodeOneBuffer(pass, nullptr, 0);
      if (status == AUDIO_STATUS_ABORT) return status;
    }
  } while (status > 0 && !stopRequested && status != AUDIO_INPUT_SIZE);
  return status;
}

// Without a sound device nothing would ever play or release a buffer: the thread decodes
// nothing and waits for the end of the playback instead.
void WaitWithoutDevice() {
  while (!stopRequested) WaitForEvent(EngineEventHandle(EngineEvent::Audio), 50);
}

// An audio-only item whose stream the decoder never understood has nothing to play, and ending
// it would only reopen it paused, where it would end again, ten times a second. A play says
// why there is no sound; then the thread waits for the stop, as it does without a device.
void WaitWithUndecodableAudio(bool autostart) {
  SetEvent(EngineEventHandle(EngineEvent::AudioStarted));
  if (autostart)
    ShowAudioMessage(AudioRecordRefusedMessage(currentDescriptor->AudioFormatTag).c_str(),
                     kAudioErrorTitle.data());
  WaitWithoutDevice();
}

// Waits until every queued buffer has played (two buffers may carry the same position), or for
// a stop. A seek hands the queue back at once: the wait lasts until the seek is over.
void PlayOut(WaveOutHandle device) {
  WaveOutRestart(device);
  while (!stopRequested &&
         (seekInProgress || lastDonePosition != lastQueuedPosition || queuedBuffers > 0))
    Sleep(10);
}

// Decodes until the decoding ends and what was queued has played. A seek while the last of the
// audio plays moves the reader back into the stream: decoding goes on from there, with fresh input.
int32_t DecodeUntilPlayedOut(AudioPass& pass) {
  int32_t status = AUDIO_INPUT_SIZE;
  for (;;) {
    const uint32_t repositions = audioRepositions;
    status = DecodeLoop(pass, status);
    PlayOut(waveDevice);
    if (status != kEndOfAudio || stopRequested || audioRepositions == repositions) return status;
    status = 0;
  }
}

// The device, if any, has played out (or playback stops): it is closed.
void EndPass() {
  const WaveOutHandle device = waveDevice;
  if (device) {
    if (stopRequested) ResetWaveDevice(device);
    if (WaveOutClose(device) != MMSYSERR_NOERROR) {
      ResetWaveDevice(device);
      WaveOutClose(device);
    }
    waveDevice = nullptr;
  }
  if (bufferReleaseThreadId) PostThreadMessage(bufferReleaseThreadId, WM_QUIT, 0, 0);
  audioDecoder.DecoderExit.load()();
}

// Starts output after the header: the release thread, the format in the descriptor, the device
// paused until the queue is full (autostart) or the user resumes.
ThreadHandle StartOutput(const AudioPass& pass, bool autostart) {
  uint32_t releaseId = 0;
  ThreadHandle release = CreateThread(BufferReleaseThread, nullptr, &releaseId);
  bufferReleaseThreadId = releaseId;
  StoreSharedWord(currentDescriptor->Channels, pass.channels);
  StoreSharedWord(currentDescriptor->SampleRate, pass.rate);
  audioBitrate = pass.bitrate;
  if (waveDevice) WaveOutPause(waveDevice);
  if (autostart) audioAutostart = 1;
  SetEvent(EngineEventHandle(EngineEvent::AudioStarted));
  return release;
}

// One decoding pass; returns the status it ended with.
int32_t RunPass(AudioPass& pass, bool firstPass, bool autostart, ThreadHandle* release) {
  // The first output of a codec is dropped (a decoder's start-up output); the PCM pass-through
  // hands on the file's own bytes, and every one of them is played.
  if (firstPass)
    discardNextOutput = !pcmAudio;
  else
    audioAutostart = 1;
  audioDecoder.DecoderInit.load()(playerSettings.equalizerOn, playerSettings.equalizerBands);
  pass.rate = 0;
  int32_t status;
  if (ReadStreamHeader(pass, firstPass, &status)) {
    pass.format = PcmFormat(pass.channels, pass.rate);
    if (!clockRebased) audioSpan = currentDescriptor->AudioLength;
    if (pass.bitrate == 0 && currentDescriptor->FrameCount != 0)
      audioSpan = int64_t{durationMs} * pass.format.avgBytesPerSec / 1000;
    OpenSoundDevice(pass);
    *release = StartOutput(pass, autostart);
    // The header buffer is decoded first, whole: for PCM too, so that its first bytes play.
    if (waveDevice)
      status = DecodeUntilPlayedOut(pass);
    else
      WaitWithoutDevice();
  } else if (firstPass && !isUrl && currentDescriptor->FrameCount == 0 && !stopRequested) {
    WaitWithUndecodableAudio(autostart);
  }
  SetEvent(EngineEventHandle(EngineEvent::AudioStarted));
  EndPass();
  return status;
}

void EndReleaseThread(ThreadHandle* release) {
  if (!*release) return;
  WaitForThread(*release, INFINITE);
  CloseThreadHandle(*release);
  *release = nullptr;
  bufferReleaseThreadId = 0;
}

}  // namespace

uint32_t AudioThread(void* autostart) {
  queuedBuffers = 0;
  audioAutostart = 0;
  lastQueuedPosition = lastDonePosition = 0;
  audioBytesQueued = 0;
  InstallAudioDecoder();
  auto pass = std::make_unique<AudioPass>();
  ThreadHandle release = nullptr;
  bool firstPass = true;
  int32_t status;
  do {
    status = RunPass(*pass, firstPass, autostart != nullptr, &release);
    EndReleaseThread(&release);
    firstPass = false;
  } while (!stopRequested && isUrl && status != kEndOfAudio);
  ClearAudioDecoder();
  // Audio that ran out before the picture lets the video thread play its last frames on the
  // tick clock; otherwise the item ends with the audio.
  const bool stopped = stopRequested;
  const bool framesLeft = currentDescriptor->FrameCount != 0 &&
                          DescriptorCurrentFrame() < currentDescriptor->FrameCount;
  if (!stopped && !isUrl && !framesLeft) reachedEnd = 1;
  if (stopped || !framesLeft) stopRequested = 1;
  SetEvent(EngineEventHandle(EngineEvent::NextFrame));
  audioThreadActive = 0;
  SetEvent(EngineEventHandle(EngineEvent::AudioStopped));
  return 0;
}
