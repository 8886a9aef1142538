#include "core/player_state.h"
#include "platform/clock.h"
#include "playback/video_thread.h"

void TickClock() {
  if (paused) return;
  const uint32_t elapsed = GetTickCount() - clockStartTick;
  const int32_t duration = durationMs;
  if (duration == 0) return;
  targetFrame = static_cast<int32_t>(int64_t{elapsed} * framesToPlay / duration + 1);
}

// The wave-out callback moves targetFrame itself.
void AudioClock() {}

void FreeRunClock() {
  targetFrame = paused ? kNoTargetFrame : int32_t{videoFrame};
}
