#include "playback/audio_output.h"

#include <algorithm>
#include <new>

#include "core/player_state.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "playback/engine_events.h"
#include "playback/engine_state.h"

WaveBuffer* AllocateWaveBuffer() {
  return new (std::nothrow) WaveBuffer{};
}

void ReleaseWaveBuffer(WaveBuffer* buffer) {
  delete buffer;
}

void QueueWaveBuffer(WaveBuffer* buffer, int32_t length, int32_t position) {
  if (position == 0 || length == 0) {
    ReleaseWaveBuffer(buffer);
    return;
  }
  const EventHandle room = EngineEventHandle(EngineEvent::Audio);
  if (queuedBuffers > kMaxQueuedBuffers) {
    if (audioAutostart && waveDevice) WaveOutRestart(waveDevice);
    WaitForEvent(room, INFINITE);
    ResetEvent(room);
    if (seekInProgress.exchange(0) || stopRequested) {
      ReleaseWaveBuffer(buffer);
      return;
    }
  }
  WaveHeader& header = buffer->header;
  header.data = reinterpret_cast<char*>(buffer->data);
  header.bufferLength = header.bytesRecorded = static_cast<uint32_t>(length);
  header.user = static_cast<uint32_t>(position);
  header.flags = header.loops = 0;
  WaveOutPrepareHeader(waveDevice, &header, sizeof(WaveHeader));
  ++queuedBuffers;
  lastQueuedPosition = position;
  audioBytesQueued += length;
  if (WaveOutWrite(waveDevice, &header, sizeof(WaveHeader)) != MMSYSERR_NOERROR) {
    --queuedBuffers;
    ReleaseWaveBuffer(buffer);
  }
}

std::atomic<uint8_t> deviceResetting;

namespace {

// The stamp's time and tick in one word, so that the two always belong together.
std::atomic<uint64_t> audioClockStamp;  // W callback, video (start); R video, callback
std::atomic<int32_t> audioClockStepMs;  // W callback, video (start); R video, callback

// The item's time the audio has reached: where the clock was last re-based plus the share of
// the re-based span that has played.
int64_t ClockMilliseconds(const MediaDescriptor& d, int32_t position, int64_t span) {
  if (d.FramesPerSecond <= 0) return -1;
  const double base = (d.FrameCount - framesToPlay) * 1000.0 / d.FramesPerSecond;
  return static_cast<int64_t>(base + double(position) * durationMs / double(span));
}

// A device reports a finished buffer at its own period, so up to a period late; the clock carried
// on from the buffer before is then the better reading of where the sound is, and is kept when
// it leads the report by no more than half a buffer (a seek's report starts afresh).
int64_t AheadOfLateReport(int64_t reported, int32_t step) {
  const int64_t carried = ReadAudioClock().ms;
  return carried > reported && carried - reported <= step / 2 ? carried : reported;
}

}  // namespace

void StampAudioClock(int32_t ms, uint32_t tick, int32_t stepMs) {
  audioClockStepMs = stepMs;
  audioClockStamp = uint64_t{tick} << 32 | static_cast<uint32_t>(ms);
}

AudioClockReading ReadAudioClock() {
  const uint64_t stamp = audioClockStamp;
  const int32_t ms = static_cast<int32_t>(static_cast<uint32_t>(stamp));
  const int64_t step = audioClockStepMs;
  const uint32_t since = GetTickCount() - static_cast<uint32_t>(stamp >> 32);
  if (ms < 0 || paused || step <= 0 || since > 2 * step) return {ms, 0};
  // Half a step more absorbs a device that reports its buffers a little late.
  const int64_t reach = step + step / 2;
  const int64_t carried = std::min<int64_t>(since, reach);
  return {ms + carried, reach - carried};
}

void ResetWaveDevice(WaveOutHandle device) {
  deviceResetting = 1;
  WaveOutReset(device);
  deviceResetting = 0;
}

void BufferDone(WaveOutHandle, uint32_t message, uintptr_t, uintptr_t headerAddress, uintptr_t) {
  if (message != WOM_DONE) return;
  auto* header = reinterpret_cast<WaveHeader*>(headerAddress);
  const int32_t position = static_cast<int32_t>(header->user);
  const MediaDescriptor* d = currentDescriptor;
  const int64_t span = audioSpan;
  // Buffers a reset hands back were never played: they do not move the clock.
  const bool moves = !deviceResetting && d && d->FreeRunning == 0 && d->FrameCount != 0 && span;
  lastDonePosition = position;
  if (moves) {
    // The sound after this buffer plays on for about a full buffer, however short this one was.
    const uint64_t full = std::max<uint32_t>(header->bufferLength, AUDIO_OUTPUT_CAPACITY);
    const uint32_t rate = waveBytesPerSecond;
    const int32_t step = rate ? static_cast<int32_t>(full * 1000 / rate) : 0;
    const int64_t ms = AheadOfLateReport(ClockMilliseconds(*d, position, span), step);
    // The stamp goes first: whoever sees this targetFrame sees the stamp that goes with it.
    StampAudioClock(static_cast<int32_t>(ms), GetTickCount(), step);
    targetFrame = static_cast<int32_t>(int64_t{framesToPlay} * position / span + 1);
  }
  SetEvent(EngineEventHandle(EngineEvent::NextFrame));
  PostThreadMessage(bufferReleaseThreadId, kBufferDoneMessage, 0,
                    static_cast<intptr_t>(headerAddress));
}
