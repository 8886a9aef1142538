// Over a 30-second item played in real time, every frame drawn is within two frames of the
// audio clock and stays on screen for its share of time, through the null device and through
// SDL's audio (its dummy driver).
#include <cstdio>
#include <cstdlib>

#include "core/player_state.h"
#include "playback_fixture.h"

namespace {

// The largest distance between a drawn frame's time and the audio clock, in milliseconds; the
// count of frames compared goes to *compared.
int64_t WorstDrift(const std::string& journal, double fps, size_t* compared) {
  int64_t worst = 0;
  *compared = 0;
  for (const std::string& line : JournalEvents(journal, "frame")) {
    const int64_t audioMs = JournalNumber(line, "audio_ms");
    if (audioMs < 0) continue;
    const int64_t frameMs = static_cast<int64_t>(JournalNumber(line, "frame") * 1000 / fps);
    worst = std::max(worst, std::abs(frameMs - audioMs));
    ++*compared;
  }
  return worst;
}

// Frames replaced less than a quarter of a frame period after they were drawn: never really
// seen, though played.
size_t UnseenFrames(const std::string& journal, double fps) {
  size_t unseen = 0;
  int64_t previous = -1;
  for (const std::string& line : JournalEvents(journal, "frame")) {
    const int64_t t = JournalNumber(line, "t");
    if (previous >= 0 && (t - previous) * fps * 4 < 1000) ++unseen;
    previous = t;
  }
  return unseen;
}

class AvSync : public PlaybackTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AvSync, EveryDrawnFrameFollowsTheAudioClock) {
  const std::string clip = MakePlaybackMedia(
      "sync_30s.avi",
      "-f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 "
      "-t 30 -c:v mpeg4 -vtag XVID -q:v 5 -c:a libmp3lame -b:a 128k");
  ASSERT_FALSE(clip.empty());
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  // A late window of 3 skips every frame more than two behind instead of drawing it late, so a
  // busy machine cannot draw a frame outside the bound checked here.
  playerSettings.lateWindow = 3;
  StartBackend(GetParam());
  Open(clip, true);
  ASSERT_TRUE(WaitForEnd(90000));
  const std::string text = JournalText();
  size_t compared = 0;
  const int64_t worst = WorstDrift(text, 25.0, &compared);
  const size_t unseen = UnseenFrames(text, 25.0);
  std::printf("audio %s: worst drift %lld ms over %zu frames, %zu frames replaced at once\n",
              GetParam(), static_cast<long long>(worst), compared, unseen);
  EXPECT_GT(compared, 700u);
  // Two frames at 25 frames per second, plus one sound buffer (2400 mono samples, 54 ms): the
  // clock is carried between buffers from the device's reports, which come at the device's own
  // period, a late one up to a buffer behind.
  EXPECT_LE(worst, 80 + 55);
  // A sound buffer (2400 mono samples, 54 ms) lasts longer than a frame: a clock that moved only
  // when one had played would show about one frame in four for no time at all.
  EXPECT_LT(unseen, compared / 5);
}

INSTANTIATE_TEST_SUITE_P(Devices, AvSync, ::testing::Values("null", "sdl"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
