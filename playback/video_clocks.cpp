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

// Where the clock was last re-based, read once: the seek and fast forward of the main thread
// change these while the video thread reads them.
struct Rebase {
  double ms;           // the item's time there; negative when the clock cannot be carried
  double framesPerMs;  // frames the clock spans per millisecond
};

// Negative `ms` when there is no rate, nothing spanned, or targetFrame is held by a seek or fast
// forward (0 or less).
Rebase ReadRebase() {
  const double fps = currentDescriptor ? currentDescriptor->FramesPerSecond : 0;
  const int32_t frames = framesToPlay, duration = durationMs;
  if (fps <= 0 || duration <= 0 || frames <= 0 || targetFrame <= 0) return {-1, 0};
  return {(currentDescriptor->FrameCount - frames) * 1000.0 / fps, double(frames) / duration};
}

}  // namespace

int32_t CarriedAudioTarget() {
  const int32_t target = targetFrame;
  const Rebase rebase = ReadRebase();
  const AudioClockReading clock = ReadAudioClock();
  if (rebase.ms < 0 || clock.ms < 0) return target;
  const double frames = std::clamp((clock.ms - rebase.ms) * rebase.framesPerMs, 0.0, 1e9);
  return std::max(target, static_cast<int32_t>(frames) + 1);
}

uint32_t MsUntilAudioReaches(int32_t frame, uint32_t otherwise) {
  const Rebase rebase = ReadRebase();
  const AudioClockReading clock = ReadAudioClock();
  if (rebase.ms < 0 || clock.ms < 0) return otherwise;
  const double due = rebase.ms + (frame - 1) / rebase.framesPerMs - clock.ms;
  if (due > clock.carryLeft) return otherwise;
  return static_cast<uint32_t>(std::clamp(std::ceil(due), 1.0, double(otherwise)));
}

void FreeRunClock() {
  targetFrame = paused ? kNoTargetFrame : int32_t{videoFrame};
}
