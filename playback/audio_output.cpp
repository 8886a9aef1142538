#include "playback/audio_output.h"

#include <new>

#include "core/player_state.h"
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
std::atomic<int64_t> audioClockMs{-1};

namespace {

// The item's time the audio has reached: where the clock was last re-based plus the share of
// the re-based span that has played.
int64_t ClockMilliseconds(const MediaDescriptor& d, int32_t position, int64_t span) {
  if (d.FramesPerSecond <= 0) return -1;
  const double base = (d.FrameCount - framesToPlay) * 1000.0 / d.FramesPerSecond;
  return static_cast<int64_t>(base + double(position) * durationMs / double(span));
}

}  // namespace

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
    audioClockMs = ClockMilliseconds(*d, position, span);
    targetFrame = static_cast<int32_t>(int64_t{framesToPlay} * position / span + 1);
  }
  SetEvent(EngineEventHandle(EngineEvent::NextFrame));
  PostThreadMessage(bufferReleaseThreadId, kBufferDoneMessage, 0,
                    static_cast<intptr_t>(headerAddress));
}
