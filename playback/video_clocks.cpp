#include <algorithm>
#include <cmath>

#include "core/player_state.h"
#include "media/reader_state.h"
#include "platform/clock.h"
#include "playback/audio_output.h"
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

namespace {

// The item's time, in milliseconds, where the clock was last re-based; negative when the clock
// cannot be carried (no rate, nothing spanned, or targetFrame held by a seek or fast forward).
double RebasedMs() {
  const double fps = currentDescriptor ? currentDescriptor->FramesPerSecond : 0;
  if (fps <= 0 || durationMs <= 0 || framesToPlay <= 0 || targetFrame <= 0) return -1;
  return (currentDescriptor->FrameCount - framesToPlay) * 1000.0 / fps;
}

}  // namespace

int32_t CarriedAudioTarget() {
  const int32_t target = targetFrame;
  const double rebased = RebasedMs();
  const AudioClockReading clock = ReadAudioClock();
  if (rebased < 0 || clock.ms < 0) return target;
  const double frames = (clock.ms - rebased) * framesToPlay / durationMs;
  return std::max(target, static_cast<int32_t>(std::max(frames, 0.0)) + 1);
}

uint32_t MsUntilAudioReaches(int32_t frame, uint32_t otherwise) {
  const double rebased = RebasedMs();
  const AudioClockReading clock = ReadAudioClock();
  if (rebased < 0 || clock.ms < 0) return otherwise;
  const double due = rebased + double(frame - 1) * durationMs / framesToPlay - clock.ms;
  if (due > clock.carryLeft) return otherwise;
  return static_cast<uint32_t>(std::clamp(std::ceil(due), 1.0, double(otherwise)));
}

void FreeRunClock() {
  targetFrame = paused ? kNoTargetFrame : int32_t{videoFrame};
}
