// Transport operations on a playing or paused item, and the refusals of opening.
#include "playback/transport.h"

#include <string>

#include "core/player_state.h"
#include "core/volume.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/wave_out.h"
#include "playback/engine_state.h"
#include "playback/open_item.h"
#include "playback_fixture.h"
#include "playlist/playlist.h"
#include "tests/support/avi_writer.h"

namespace {

const char kClip[] =
    "-f lavfi -i testsrc=size=176x144:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 "
    "-t 4 -c:v mpeg4 -vtag XVID -g 25 -q:v 5 -c:a libmp3lame -b:a 64k";

std::string Clip() {
  return MakePlaybackMedia("transport_xvid_mp3.avi", kClip);
}

// An AVI of the given picture size whose frames no codec decodes: enough for the size checks.
std::string SizedAvi(const std::string& folder, int32_t width, int32_t height) {
  AviLayout layout = InterleavedAvi(10, 5, 64, 0);
  layout.streams[0].width = width;
  layout.streams[0].height = height;
  const std::string path =
      folder + "/sized_" + std::to_string(width) + "x" + std::to_string(height) + ".avi";
  WriteBytes(path, BuildAvi(layout).bytes);
  return path;
}

std::vector<std::string> BoxTitles(const std::string& journal) {
  std::vector<std::string> titles;
  for (const std::string& line : JournalEvents(journal, "messagebox")) {
    const size_t at = line.find("\"title\":\"") + 9;
    titles.push_back(line.substr(at, line.find('"', at) - at));
  }
  return titles;
}

}  // namespace

TEST_F(PlaybackTest, OpenedWithoutStartRequestWaitsPausedOnItsFirstPicture) {
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  StartBackend("null");
  Open(clip, false);
  EXPECT_EQ(paused.load(), 1);
  EXPECT_NE(stillBitmap, nullptr);
  Pump(500);
  EXPECT_EQ(endMessages, 0);
  EXPECT_NE(JournalText().find("\"state\":\"paused\""), std::string::npos);
  PlayPause();
  EXPECT_EQ(paused.load(), 0);
  ASSERT_TRUE(WaitForEnd());
  const auto ended = JournalEvents(JournalText(), "item-ended");
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_EQ(JournalNumber(ended[0], "reached_end"), 1);
}

TEST_F(PlaybackTest, SeeksKeepTheStateTheyFind) {
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  StartBackend("null");
  Open(clip, false);
  SeekTo(100, 0, 0);  // a percentage never reaches 100
  SeekTo(60, 0, 1);
  EXPECT_EQ(paused.load(), 1);
  EXPECT_EQ(targetFrame.load(), -99);
  PlayPause();
  Pump(300);
  SeekTo(20, 0, 1);
  EXPECT_EQ(paused.load(), 0);
  ASSERT_TRUE(WaitForEnd());
  const std::string text = JournalText();
  const auto seeks = JournalEvents(text, "seek");
  ASSERT_EQ(seeks.size(), 3u);
  EXPECT_EQ(JournalNumber(seeks[0], "percent"), 99);
  EXPECT_EQ(JournalNumber(seeks[0], "frame"), -1);
  EXPECT_EQ(JournalNumber(seeks[1], "frame"), 60);
  EXPECT_EQ(JournalNumber(seeks[2], "frame"), 20);
  // After the last seek the frames drawn start at or after the key frame before frame 20.
  const auto frames = JournalEvents(text, "frame");
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(JournalNumber(frames.back(), "frame"),
            JournalNumber(JournalEvents(text, "item-opened")[0], "frames") - 1);
  EXPECT_EQ(JournalNumber(JournalEvents(text, "item-ended")[0], "reached_end"), 1);
}

// Near the end the audio thread has read all the sound and waits for the last of it to play; a
// seek back hands the queue back at once, and the sound must go on from the new place.
TEST_F(PlaybackTest, ASeekBackAfterTheSoundRanOutPlaysOnWithSound) {
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  StartBackend("null");
  Open(clip, true);
  SeekTo(75, 0, 1);  // a key frame: one second of sound left, read at once
  Pump(400);
  SeekTo(25, 0, 1);
  Pump(300);
  EXPECT_EQ(audioThreadActive.load(), 1);
  ASSERT_TRUE(WaitForEnd());
  const std::string text = JournalText();
  const std::string afterSeek = text.substr(text.rfind("\"event\":\"seek\""));
  const auto frames = JournalEvents(afterSeek, "frame");
  ASSERT_GT(frames.size(), 60u);  // of the 75 frames from 25 on
  EXPECT_GE(JournalNumber(frames[frames.size() / 2], "audio_ms"), 0);
  const auto ended = JournalEvents(text, "item-ended");
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_EQ(JournalNumber(ended[0], "reached_end"), 1);
  EXPECT_LT(JournalNumber(ended[0], "dropped"), 10);
}

// Play tapped after a playback ended but before its end message was handled: the new playback
// keeps the item, and the stale end message closes and reopens nothing under it.
TEST_F(PlaybackTest, APlayTapBeforeTheEndMessageKeepsTheNewPlayback) {
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  StartBackend("null");
  reopenOnEnd = true;
  Open(clip, true);
  Pump(200);
  StopPlayback();
  ASSERT_EQ(videoThreadId.load(), 0u);
  PlayPause();
  const uint32_t playing = videoThreadId;
  ASSERT_NE(playing, 0u);
  Pump(300);
  EXPECT_EQ(endMessages, 1);
  EXPECT_EQ(videoThreadId.load(), playing);
  EXPECT_NE(currentDescriptor, nullptr);
  EXPECT_EQ(JournalEvents(JournalText(), "item-opened").size(), 2u);
  reopenOnEnd = false;
}

TEST_F(PlaybackTest, FastForwardShowsFramesAndStopEndsEveryThread) {
  // Long enough that fast forward, as fast as decoding goes (a 20-second clip took under 0.1 s
  // here), is still running when left.
  const std::string clip = MakePlaybackMedia(
      "fast_forward_long.avi",
      "-f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine=frequency=440 -t 120 -c:v mpeg4 "
      "-vtag XVID -q:v 5 -c:a libmp3lame -b:a 64k");
  ASSERT_FALSE(clip.empty());
  StartBackend("null");
  Open(clip, true);
  Pump(300);
  ToggleFastForward();
  EXPECT_EQ(fastForward.load(), 1);
  EXPECT_EQ(paused.load(), 1);
  Pump(100);
  ToggleFastForward();
  EXPECT_EQ(fastForward.load(), 0);
  EXPECT_EQ(paused.load(), 0);
  Pump(200);
  StopPlayback();
  EXPECT_EQ(videoThreadId.load(), 0u);
  EXPECT_EQ(waveDevice.load(), nullptr);
  ASSERT_TRUE(WaitForEnd(5000));
  const std::string text = JournalText();
  EXPECT_NE(text.find("\"state\":\"fast-forward\""), std::string::npos);
  EXPECT_EQ(JournalNumber(JournalEvents(text, "item-ended")[0], "reached_end"), 0);
}

TEST_F(PlaybackTest, PictureSizesBeyondTheScreenAreWarnedOrRefused) {
  StartBackend("null");
  struct {
    int32_t width, height;
    std::vector<std::string> boxes;
    bool plays;
  } const cases[] = {
      {640, 480, {}, true},
      {1024, 512, {"Attention"}, true},
      {1025, 512, {"Attention", "Load Error"}, false},
      {1280, 720, {"Attention", "Load Error"}, false},
  };
  for (const auto& c : cases) {
    const size_t before = BoxTitles(JournalText()).size();
    Open(SizedAvi(home, c.width, c.height), false);
    const auto titles = BoxTitles(JournalText());
    EXPECT_EQ(std::vector<std::string>(titles.begin() + before, titles.end()), c.boxes)
        << c.width << "x" << c.height;
    EXPECT_EQ(videoThreadId != 0, c.plays) << c.width << "x" << c.height;
    if (videoThreadId != 0) {
      StopPlayback();
      WaitForEnd(5000);
    }
    EXPECT_EQ(loading.load(), 0);
  }
}

TEST_F(PlaybackTest, AListWhoseEntriesAllFailIsTriedOnceRoundASecondApart) {
  StartBackend("null");
  struct {
    int entries;
  } const cases[] = {{5}, {1}};
  for (const auto& c : cases) {
    std::string list = "\xEF\xBB\xBF";  // a .pdl in UTF-8 says so
    for (int i = 0; i < c.entries; ++i) list += "/nowhere/missing" + std::to_string(i) + ".avi\r\n";
    const std::string path = home + "/failing" + std::to_string(c.entries) + ".pdl";
    ASSERT_TRUE(WriteBytes(path, list));
    LoadPdlPlaylist(Utf8ToWide(path).c_str(), 0);
    ASSERT_EQ(LastIndex.load(), c.entries - 1);
    const size_t before = BoxTitles(JournalText()).size();
    const uint32_t start = GetTickCount();
    OpenItem(window, 0);
    const uint32_t elapsed = GetTickCount() - start;
    const auto titles = BoxTitles(JournalText());
    ASSERT_EQ(titles.size() - before, 1u) << c.entries;
    EXPECT_EQ(titles.back(), "Load Error");
    EXPECT_GE(elapsed, uint32_t(1000 * (c.entries - 1)));
    EXPECT_LT(elapsed, uint32_t(1000 * c.entries + 500));
    EXPECT_EQ(loading.load(), 0);
  }
  ReleasePlaylist();
}

TEST(Volume, StepsStayWithinTheScale) {
  struct {
    int32_t from, change, to;
  } const cases[] = {{98, 5, 100}, {3, -5, 0}};
  playerSettings.muted = 0;
  for (const auto& c : cases) {
    SetVolumePercent(c.from);
    EXPECT_EQ(StepVolume(c.change), c.to);
    EXPECT_EQ(CurrentVolumePercent(), c.to);
  }
  EXPECT_EQ(VolumeWordOf(100), 0xFFFFFFFFu);
  EXPECT_EQ(VolumePercentOf(VolumeWordOf(37)), 36);  // the word truncates, reading back loses one
}

TEST_F(PlaybackTest, RefusedSoundDevicesAreAnsweredAndPlaybackGoesOn) {
  const std::string clip = Clip();
  ASSERT_FALSE(clip.empty());
  StartBackend("null");
  struct {
    std::vector<uint32_t> refusals;
    std::vector<std::string> boxes;
  } const cases[] = {
      {{MMSYSERR_ALLOCATED}, {}},  // busy: opened again 300 ms later
      {{WAVERR_BADFORMAT}, {}},    // format: decoded again at a lower rate
      {{MMSYSERR_ERROR}, {}},      // device 0 takes over a second later
      {{MMSYSERR_ERROR, MMSYSERR_ERROR}, {"Wave Open Error", ""}},
  };
  for (const auto& c : cases) {
    const size_t before = BoxTitles(JournalText()).size();
    InjectWaveOutRefusals(c.refusals);
    Open(clip, true);
    ASSERT_TRUE(WaitForEnd());
    const std::string text = JournalText();
    const auto titles = BoxTitles(text);
    EXPECT_EQ(std::vector<std::string>(titles.begin() + before, titles.end()), c.boxes);
    const auto ended = JournalEvents(text, "item-ended");
    EXPECT_EQ(JournalNumber(ended.back(), "reached_end"), 1);
    EXPECT_EQ(JournalNumber(ended.back(), "played"), JournalNumber(ended.back(), "total"));
  }
}

TEST_F(PlaybackTest, AVideoStreamDamagedHalfWayEndsWithoutHanging) {
  AviLayout layout = InterleavedAvi(40, 10, 64, 0);
  BuiltAvi avi = BuildAvi(layout);
  // From frame 20 on every chunk's header is overwritten: the index points at garbage.
  for (size_t frame = 20; frame < 40; ++frame)
    avi.bytes.replace(avi.chunkData[frame] - 8, 8, "garbage!");
  const std::string path = home + "/cut.avi";
  ASSERT_TRUE(WriteBytes(path, avi.bytes));
  StartBackend("null");
  Open(path, true);
  ASSERT_TRUE(WaitForEnd(20000));
  EXPECT_EQ(videoThreadId.load(), 0u);
  const auto ended = JournalEvents(JournalText(), "item-ended");
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_LE(JournalNumber(ended[0], "played"), 40);
}
