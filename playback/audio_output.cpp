#include "playback/audio_output.h"

#include <new>

#include "core/player_state.h"
#include "playback/engine_events.h"
#include "playback/engine_state.h"
#include "platform/window.h"

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
  if (!deviceResetting && d && d->FreeRunning == 0 && d->FrameCount != 0 && span != 0)
    targetFrame = static_cast<int32_t>(int64_t{framesToPlay} * position / span + 1);
  SetEvent(EngineEventHandle(EngineEvent::NextFrame));
  lastDonePosition = position;
  PostThreadMessage(bufferReleaseThreadId, kBufferDoneMessage, 0,
                    static_cast<intptr_t>(headerAddress));
}
