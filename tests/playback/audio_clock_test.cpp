// The audio clock between the wave-out callback's buffers: carried forward with the time that
// passed, within bounds, and the early wait that follows from it.
#include <gtest/gtest.h>

#include <climits>

#include "core/player_state.h"
#include "media/reader_state.h"
#include "platform/clock.h"
#include "playback/audio_output.h"
#include "playback/video_thread.h"

namespace {

// A 20-second item at 25 frames per second, never re-based: frame n starts at (n - 1) x 40 ms.
class AudioClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    item.FrameCount = 500;
    item.FramesPerSecond = 25;
    currentDescriptor = &item;
    framesToPlay = 500;
    durationMs = 20000;
    paused = 0;
  }
  void TearDown() override {
    currentDescriptor = nullptr;
    StampAudioClock(-1, 0, 0);
  }
  // The clock reached `ms` `ago` milliseconds back, with buffers of 54 ms; targetFrame as the
  // callback set it then, unless `target` says otherwise.
  void Stamp(int32_t ms, uint32_t ago, int32_t target = kCallbacksOwn) {
    StampAudioClock(ms, GetTickCount() - ago, kStepMs);
    targetFrame = target == kCallbacksOwn ? ms / 40 + 1 : target;
  }

  static constexpr int32_t kStepMs = 54;
  static constexpr int32_t kCallbacksOwn = INT32_MIN;
  MediaDescriptor item{};
};

TEST_F(AudioClockTest, CarriedTargetFollowsTheTimeWithinABufferAndAHalf) {
  const struct {
    const char* name;
    int32_t ms;
    uint32_t ago;
    uint8_t paused;
    int32_t target;
    int32_t expected;
  } cases[] = {
      {"just stamped", 1030, 0, 0, kCallbacksOwn, 26},
      {"carried past a frame start", 1030, 15, 0, kCallbacksOwn, 27},
      {"carried a buffer and a half at most", 1030, 90, 0, kCallbacksOwn, 28},
      {"stale after two buffers", 1030, 120, 0, kCallbacksOwn, 26},
      {"paused", 1030, 15, 1, kCallbacksOwn, 26},
      {"held by a seek", 1030, 15, 0, kNoTargetFrame, kNoTargetFrame},
      {"held by fast forward", 1030, 15, 0, 0, 0},
      {"never behind targetFrame", 1030, 15, 0, 40, 40},
  };
  for (const auto& c : cases) {
    paused = c.paused;
    Stamp(c.ms, c.ago, c.target);
    EXPECT_EQ(CarriedAudioTarget(), c.expected) << c.name;
  }
}

TEST_F(AudioClockTest, EarlyWaitEndsWhenTheCarriedClockReachesTheFrame) {
  Stamp(1030, 0);
  // Frame 28 starts at 1080 ms, 50 ms on; frame 30 at 1160 ms, beyond a buffer and a half
  // (81 ms): the next buffer comes first.
  const uint32_t wait = MsUntilAudioReaches(28, 500);
  EXPECT_GT(wait, 30u);
  EXPECT_LE(wait, 50u);
  EXPECT_EQ(MsUntilAudioReaches(30, 500), 500u);
  EXPECT_EQ(MsUntilAudioReaches(26, 500), 1u);  // already reached: a minimal wait
  paused = 1;
  EXPECT_EQ(MsUntilAudioReaches(28, 500), 500u);
  StampAudioClock(-1, 0, 0);
  paused = 0;
  EXPECT_EQ(MsUntilAudioReaches(28, 500), 500u);
}

}  // namespace
