#include "core/player_state.h"
#include "platform/window.h"
#include "playback/audio_output.h"
#include "playback/engine_events.h"
#include "playback/engine_state.h"

std::atomic<uint32_t> bufferReleaseThreadId;

uint32_t BufferReleaseThread(void*) {
  Message message;
  while (GetMessage(&message) && message.message != WM_QUIT) {
    if (message.message != kBufferDoneMessage) {
      TranslateMessage(&message);
      DispatchMessage(&message);
      continue;
    }
    auto* buffer = reinterpret_cast<WaveBuffer*>(message.lParam);
    WaveOutUnprepareHeader(waveDevice, &buffer->header, sizeof(WaveHeader));
    if (--queuedBuffers == kMaxQueuedBuffers) SetEvent(EngineEventHandle(EngineEvent::Audio));
    ReleaseWaveBuffer(buffer);
  }
  return 0;
}
