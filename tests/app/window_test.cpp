// The main window in the player's own process: the messages it receives at creation, at the
// start of an item one second later, at the resume of the last item and at destruction,
// compared in order; and what its keys, focus handling and destruction do.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/commands.h"
#include "core/player_state.h"
#include "media/reader_state.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/virtual_keys.h"
#include "platform/wave_out.h"
#include "playback/transport.h"
#include "skin/skin.h"
#include "window_harness.h"

namespace {

const std::string& Clip() {
  static const std::string path =
      TestClip("window-clip.avi",
               "-f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine=sample_rate=22050 -t 8 "
               "-c:v mpeg4 -vtag XVID -q:v 8 -c:a pcm_s16le -ac 1");
  return path;
}

std::u16string Wide(const std::string& text) {
  return Utf8ToWide(text);
}

template <typename Condition>
bool Eventually(Condition condition) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

constexpr ExpectedMessage Optional(uint32_t message) {
  return {.message = message, .optional = true};
}

// Whatever the window receives while it lives: paints, focus and the commands of a script.
// ApplySkin posts a playlist refill at creation.
const std::vector<ExpectedMessage> kWhileAlive = {
    Optional(WM_PAINT), Optional(kMessageRebuildPlaylist), Optional(WM_ACTIVATE),
    Optional(WM_SETFOCUS), Optional(WM_PAINT)};

std::vector<ExpectedMessage> Join(std::initializer_list<std::vector<ExpectedMessage>> parts) {
  std::vector<ExpectedMessage> joined;
  for (const auto& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

const std::vector<ExpectedMessage> kCreation = {{WM_CREATE}};
const std::vector<ExpectedMessage> kDestruction = {
    {WM_CLOSE}, Optional(WM_KILLFOCUS), {WM_DESTROY}};
// The start tick refills the playlist view, then the opening shows the wait cursor around the
// reader's Open.
std::vector<ExpectedMessage> StartTick(uint32_t timer) {
  return {
      {WM_TIMER, timer},           {kMessageRebuildPlaylist},   Optional(kMessageRebuildPlaylist),
      {kMessageWaitCursor, -1, 1}, {kMessageWaitCursor, -1, 0}, Optional(WM_PAINT)};
}

std::string ReadJournal(const TestHome& home) {
  std::string text;
  ReadWholeFile(home / "journal.jsonl", &text);
  return text;
}

uint32_t TickOf(const std::vector<SeenMessage>& seen, uint32_t message) {
  for (const SeenMessage& m : seen)
    if (m.message == message) return m.tick;
  return 0;
}

TEST(WindowMessages, CreationAndDestructionWithNothingToPlay) {
  TestHome home([](PlayerSettings* settings) { settings->resumeLastItem = 0; });
  std::vector<SeenMessage> seen;
  EXPECT_EQ(RunPlayer(home, u"", "wait 1500\nquit\n", &seen), 0);
  const std::string difference =
      CompareSequence(seen, Join({kCreation, kWhileAlive, kDestruction}));
  EXPECT_TRUE(difference.empty()) << difference;
}

TEST(WindowMessages, AnItemOnTheCommandLineOpensOneSecondAfterCreation) {
  ASSERT_FALSE(Clip().empty());
  TestHome home;
  std::vector<SeenMessage> seen;
  EXPECT_EQ(RunPlayer(home, Wide(Clip()), "wait 2000\nquit\n", &seen), 0);
  const std::string difference = CompareSequence(
      seen, Join({kCreation, kWhileAlive, StartTick(222), kWhileAlive, kDestruction}));
  EXPECT_TRUE(difference.empty()) << difference << ReadJournal(home);
  EXPECT_GE(TickOf(seen, WM_TIMER) - TickOf(seen, WM_CREATE), 1000u);
}

TEST(WindowMessages, TheLastItemResumesAtItsFrameThroughTheOtherStartTimer) {
  ASSERT_FALSE(Clip().empty());
  TestHome home([](PlayerSettings* settings) {
    settings->resumeLastItem = 1;
    settings->autoPlay = 0;  // opened, shown at its frame, not playing
    settings->lastFrame = 100;
    WideCopy(settings->lastItem, SETTINGS_PATH_CHARS, Utf8ToWide(Clip()));
  });
  std::vector<SeenMessage> seen;
  EXPECT_EQ(RunPlayer(home, u"", "wait 2000\nquit\n", &seen), 0);
  const std::string difference = CompareSequence(
      seen, Join({kCreation, kWhileAlive, StartTick(223), kWhileAlive, kDestruction}));
  EXPECT_TRUE(difference.empty()) << difference;
  // It stayed where it was opened: at the key frame before frame 100 (one every 12 frames).
  EXPECT_GE(playerSettings.lastFrame, 88);
  EXPECT_LE(playerSettings.lastFrame, 101);
}

TEST(WindowMessages, TheEndOfAPlaybackReopensTheItemAtItsStart) {
  const std::string shortClip =
      TestClip("window-short.avi",
               "-f lavfi -i testsrc=size=160x120:rate=25 -t 1 -c:v mpeg4 -vtag XVID -q:v 8");
  ASSERT_FALSE(shortClip.empty());
  TestHome home([](PlayerSettings* settings) { settings->repeat = 0; });
  std::vector<SeenMessage> seen;
  EXPECT_EQ(RunPlayer(home, Wide(shortClip), "wait 8000\nquit\n", &seen), 0);
  const std::string difference =
      CompareSequence(seen, Join({kCreation,
                                  kWhileAlive,
                                  StartTick(222),
                                  kWhileAlive,
                                  {{kMessagePlaybackEnded, 0, 0}},
                                  {{kMessageWaitCursor, -1, 1}, {kMessageWaitCursor, -1, 0}},
                                  kWhileAlive,
                                  kDestruction}));
  EXPECT_TRUE(difference.empty()) << difference;
}

TEST(Window, AKeyBoundAsMuteAndVolumeUpActsOnBothChains) {
  ASSERT_FALSE(Clip().empty());
  TestHome home([](PlayerSettings* settings) {
    settings->keyMute = 'M';
    settings->keyVolumeUp = 'M';
    settings->volume = 0x80008000;
  });
  std::vector<SeenMessage> seen;
  EXPECT_EQ(RunPlayer(home, u"", "wait 300\nkey 0x4D\nwait 300\nquit\n", &seen), 0);
  EXPECT_EQ(playerSettings.muted, 1);
  EXPECT_EQ(KnobPercent(SliderKind::Volume), 5);  // the device read 0 once muted
  EXPECT_EQ(playerSettings.volume, 0u);           // closed while muted: stored silent
}

TEST(Window, LosingTheFocusPausesAVideoInItsMiddleAndComingBackDoesNotResume) {
  ASSERT_FALSE(Clip().empty());
  TestHome home;
  std::vector<SeenMessage> seen;
  bool pausedOnLoss = false, stillPaused = false;
  RunPlayer(home, Wide(Clip()), "", &seen, [&] {
    Eventually([] { return videoThreadId != 0 && videoFrame > 10; });
    const WindowHandle window = FindWindow(u"MORVELANT", u"Morvelant");
    PostMessage(window, WM_KILLFOCUS, 0, 0);
    pausedOnLoss = Eventually([] { return paused != 0; });
    PostMessage(window, WM_SETFOCUS, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stillPaused = paused != 0;
    PostMessage(window, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(pausedOnLoss);
  EXPECT_TRUE(stillPaused);
}

TEST(Window, LosingTheFocusLeavesAVideoAtItsFirstFrameAlone) {
  ASSERT_FALSE(Clip().empty());
  TestHome home([](PlayerSettings* settings) {
    settings->resumeLastItem = 1;
    settings->autoPlay = 0;
    settings->lastFrame = 0;
    WideCopy(settings->lastItem, SETTINGS_PATH_CHARS, Utf8ToWide(Clip()));
  });
  std::vector<SeenMessage> seen;
  bool untouched = false;
  RunPlayer(home, u"", "", &seen, [&] {
    Eventually([&] { return ReadJournal(home).find("item-opened") != std::string::npos; });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const uint8_t before = paused;
    const WindowHandle window = FindWindow(u"MORVELANT", u"Morvelant");
    PostMessage(window, WM_KILLFOCUS, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    untouched = paused == before;
    PostMessage(window, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(untouched);
}

}  // namespace
