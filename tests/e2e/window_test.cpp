// The main window as a user meets it, through the headless player: every menu command on a
// playing item, the display key, the backlight hold and the resume after the player was killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/player_settings.h"
#include "platform/png_file.h"
#include "player_process.h"
#include "skin/skin.h"
#include "tests/platform/temp_folder.h"
#include "tests/support/media_once.h"

namespace {

// A clip of moving test pictures and a tone.
const std::string& Clip() {
  static const std::string path = MakeMediaOnce(
      "/tmp/morvelant-window-media", "clip50.avi",
      "-f lavfi -i testsrc=size=160x120:rate=50 -f lavfi -i sine=frequency=440:sample_rate=22050 "
      "-t 40 -c:v mpeg4 -vtag XVID -q:v 8 -c:a pcm_s16le -ac 1");
  return path;
}

void WriteScript(const std::string& path, const std::string& lines) {
  std::ofstream(path) << lines;
}

PlayerSettings ReadSettings(const std::string& home) {
  PlayerSettings settings{};
  const std::string bytes = ReadFile(home + "/settings.bin");
  std::memcpy(&settings, bytes.data(), std::min(bytes.size(), sizeof settings));
  return settings;
}

std::u16string LastItem(const PlayerSettings& settings) {
  const char16_t* text = settings.lastItem;
  return std::u16string(text, std::find(text, text + SETTINGS_PATH_CHARS, u'\0'));
}

std::u16string Wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());  // the test paths are ASCII
}

// The frame of the resume point the player keeps in its home, -1 without one.
int32_t ResumeFrame(const std::string& home) {
  const std::string bytes = ReadFile(home + "/resume.bin");
  constexpr size_t kFrameOffset = 520;  // after the mark, the version and the item
  if (bytes.size() < kFrameOffset + 4) return -1;
  int32_t frame = 0;
  std::memcpy(&frame, bytes.data() + kFrameOffset, 4);
  return frame;
}

template <typename Condition>
bool Eventually(Condition condition, int seconds = 60) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

bool AllBlack(const std::string& png) {
  RgbImage image;
  if (!ReadPng(png, &image)) return false;
  return std::all_of(image.rgb.begin(), image.rgb.end(), [](uint8_t value) { return value == 0; });
}

size_t Count(const std::string& text, const std::string& needle) {
  size_t count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
    ++count;
  return count;
}

// A stand-in for the desktop's opener: it writes down what it was asked to open.
std::string FakeOpenerFolder(const TempFolder& home) {
  const std::string folder = home / "bin";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/xdg-open") << "#!/bin/sh\necho \"$1\" >> " << home / "opened.txt"
                                      << "\n";
  chmod((folder + "/xdg-open").c_str(), 0755);
  return folder + ":/usr/bin:/bin";
}

struct MenuStep {
  int command;
  const char* answer;  // for the box or dialog it opens, or null
};

// Every command number, in an order that keeps the item playing for most of them.
constexpr MenuStep kMenuSteps[] = {
    {40037, "ok"},     {40030, "ok"},     {40039, nullptr}, {40034, nullptr},  {40055, "0:05"},
    {40029, "ok"},     {40004, nullptr},  {40031, "ok"},    {40004, nullptr},  {40012, nullptr},
    {40028, nullptr},  {40054, nullptr},  {40049, nullptr}, {40050, nullptr},  {40053, nullptr},
    {40010, "cancel"}, {40027, "cancel"}, {40035, nullptr}, {40036, "cancel"}, {40040, "cancel"},
    {40060, nullptr},  {40005, nullptr},  {40005, nullptr}, {40011, nullptr},  {40011, nullptr},
    {40033, nullptr},  {40033, nullptr},  {40038, nullptr}, {40038, nullptr},  {40016, nullptr},
    {40016, nullptr},  {40026, nullptr},  {40032, nullptr}, {40008, nullptr},  {40004, nullptr},
};

TEST(Window, EveryMenuCommandOnAPlayingItemLeavesThePlayerResponsive) {
  ASSERT_FALSE(Clip().empty()) << "ffmpeg could not make the clip";
  TempFolder home;
  std::string script = "wait 2500\n";  // the item opens one second after start and plays
  for (const MenuStep& step : kMenuSteps) {
    if (step.answer) script += std::string("answer ") + step.answer + "\n";
    script += "command " + std::to_string(step.command) + "\nwait 150\n";
  }
  script += "wait 500\nscreenshot " + home / "after.png" + "\nquit\n";
  WriteScript(home / "script.txt", script);

  PlayerProcess player =
      StartPlayer(home.path, home / "journal.jsonl", {"--script=" + home / "script.txt", Clip()},
                  FakeOpenerFolder(home));
  EXPECT_EQ(WaitForExit(player), 0);
  const std::string journal = ReadFile(player.journal);
  EXPECT_NE(journal.find("\"title\":\"Media Info\",\"text\":\"File Name: " + Clip() +
                         "\\u000d\\u000aResolution: 160 X 120\\u000d\\u000aFrames: 2000"
                         "\\u000d\\u000aFPS: 50.00"),
            std::string::npos)
      << journal;
  EXPECT_NE(journal.find("\"title\":\"Morvelant\",\"text\":\"Morvelant "), std::string::npos);
  EXPECT_NE(journal.find("\"event\":\"exit\",\"code\":0"), std::string::npos);
  EXPECT_EQ(ReadFile(home / "opened.txt"),
            "file://" + std::string(MORVELANT_DIST_DIR) + "/Tesk.htm#MAIN_CONTENTS\n");
  EXPECT_TRUE(std::filesystem::exists(home / "after.png"));
  EXPECT_FALSE(AllBlack(home / "after.png"));
}

TEST(Window, HelpWithoutAnOpenerNamesTheManual) {
  TempFolder home;
  WriteScript(home / "script.txt", "wait 200\ncommand 40039\nwait 200\nquit\n");
  PlayerProcess player = StartPlayer(home.path, home / "journal.jsonl",
                                     {"--script=" + home / "script.txt"}, home / "empty");
  EXPECT_EQ(WaitForExit(player), 0);
  const std::string journal = ReadFile(player.journal);
  EXPECT_NE(journal.find("\"title\":\"Help\""), std::string::npos) << journal;
  EXPECT_NE(journal.find(std::string(MORVELANT_DIST_DIR) + "/Tesk.htm"), std::string::npos);
}

TEST(Window, TheDisplayKeyBlanksTheScreenAndTheKeyOrATapBringsItBack) {
  TempFolder home;
  WriteScript(home / "script.txt", "wait 300\nscreenshot " + home / "on.png" +
                                       "\nkey 0x44\nwait 100\nscreenshot " + home / "off.png" +
                                       "\nkey 0x44\nwait 100\nscreenshot " + home / "back.png" +
                                       "\nkey 0x44\nwait 100\ntap 100 100\nwait 100\nscreenshot " +
                                       home / "tapped.png" + "\nquit\n");
  PlayerProcess player = StartPlayer(home.path, home / "journal.jsonl",
                                     {"--screen=320x240", "--script=" + home / "script.txt"});
  EXPECT_EQ(WaitForExit(player), 0);
  EXPECT_FALSE(AllBlack(home / "on.png"));
  EXPECT_TRUE(AllBlack(home / "off.png"));
  EXPECT_FALSE(AllBlack(home / "back.png"));
  EXPECT_FALSE(AllBlack(home / "tapped.png"));
  const std::string journal = ReadFile(player.journal);
  EXPECT_EQ(Count(journal, "\"event\":\"display-power\",\"on\":0"), 2u) << journal;
  EXPECT_EQ(Count(journal, "\"event\":\"display-power\",\"on\":1"), 2u) << journal;
}

std::string BacklightValues(const std::string& home) {
  const std::string user = ReadFile(home + "/user.reg");
  const size_t key = user.find("[HKEY_CURRENT_USER\\ControlPanel\\Backlight]");
  if (key == std::string::npos) return {};
  return user.substr(key, user.find("\n\n", key) - key);
}

TEST(Window, KeepAwakeHoldsWhilePlayingAndAKilledPlayersNextStartGivesTheValuesBack) {
  ASSERT_FALSE(Clip().empty());
  TempFolder home;
  // Pause and resume with the play/pause key (Space), then let it play on.
  WriteScript(home / "script.txt", "wait 2500\nkey 0x20\nwait 1500\nkey 0x20\n");
  PlayerProcess player =
      StartPlayer(home.path, home / "journal.jsonl", {"--script=" + home / "script.txt", Clip()});
  const std::string userValues = "\"ACTimeout\"=dword:0000012c\n\"BatteryTimeout\"=dword:0000003c";
  // Held, put back on pause, held again on resume: the screen saver follows.
  EXPECT_TRUE(Eventually([&] {
    return Count(ReadFile(player.journal), "\"event\":\"screen-saver\",\"held\":1") == 2;
  }));
  const std::string journal = ReadFile(player.journal);
  EXPECT_EQ(Count(journal, "\"event\":\"screen-saver\",\"held\":0"), 1u) << journal;
  EXPECT_NE(BacklightValues(home.path).find("dword:0000efff"), std::string::npos);

  kill(player.pid, SIGKILL);
  WaitForExit(player);
  EXPECT_EQ(BacklightValues(home.path).find(userValues), std::string::npos)
      << "the killed player left the raised values";

  WriteScript(home / "quit.txt", "wait 100\nquit\n");
  PlayerProcess next = StartPlayer(home.path, home / "next.jsonl",
                                   {"--script=" + home / "quit.txt", "/no/such/item.avi"});
  EXPECT_EQ(WaitForExit(next), 0);
  EXPECT_NE(BacklightValues(home.path).find(userValues), std::string::npos)
      << BacklightValues(home.path);
}

TEST(Window, AKilledPlayerResumesItsItemNearTheFrameItHadReached) {
  ASSERT_FALSE(Clip().empty());
  TempFolder home;
  PlayerProcess player = StartPlayer(home.path, home / "journal.jsonl", {Clip()});
  ASSERT_TRUE(Eventually([&] { return ResumeFrame(home.path) >= 500; }))
      << "frame " << ResumeFrame(home.path);
  kill(player.pid, SIGKILL);
  WaitForExit(player);
  const int32_t killedAt = ResumeFrame(home.path);

  WriteScript(home / "script.txt", "wait 1500\nquit\n");
  PlayerProcess next =
      StartPlayer(home.path, home / "next.jsonl", {"--script=" + home / "script.txt"});
  EXPECT_EQ(WaitForExit(next), 0);
  const PlayerSettings stored = ReadSettings(home.path);
  EXPECT_EQ(LastItem(stored), Wide(Clip()));
  // Opened where it had reached and played on a little: never back at the start. A seek lands
  // on the key frame at or before its frame (one in 12 in this clip) and, on a loaded machine,
  // the player may quit before it played past the frame it was killed at.
  constexpr int32_t kKeyFrameInterval = 12;
  EXPECT_GE(stored.lastFrame, killedAt - kKeyFrameInterval) << "killed at " << killedAt;
  EXPECT_LT(stored.lastFrame, killedAt + 200);
  EXPECT_FALSE(std::filesystem::exists(home / "resume.bin"));  // a clean close forgets it
}

// The pen on the shipped 640x480 skin in the whole player: a script's pointer messages drag and
// tap the seek slider, and a press on Stop slid off and back still stops on its release.
TEST(Window, ThePenDragsTheSeekKnobAndStopsThroughTheShippedSkin) {
  ASSERT_FALSE(Clip().empty());
  Skin layout{};
  ParseSkin(ReadFile(std::string(MORVELANT_DIST_DIR) + "/Skins/Kub_640x480.pds"), u"", &layout);
  const SkinElement &area = layout.SeekArea, &knob = layout.SeekButton, &stop = layout.StopButton,
                    &view = layout.ViewPort;
  ASSERT_EQ(knob.Direction, 1);  // a horizontal slider
  ASSERT_GT(area.Width, knob.Width);
  const int32_t y = knob.Top + knob.Height / 2;
  // Dragged by its middle to the middle of its run: released at 50 %.
  const int32_t middle = area.Left + (area.Width - knob.Width) / 2 + knob.Width / 2;
  const auto at = [](const SkinElement& e) {
    return std::to_string(e.Left + e.Width / 2) + " " + std::to_string(e.Top + e.Height / 2);
  };
  TempFolder home;
  WriteScript(home / "script.txt",
              "wait 2500\n"
              "down " +
                  std::to_string(knob.Left + knob.Width / 2) + " " + std::to_string(y) + "\nmove " +
                  std::to_string(middle) + " " + std::to_string(y) + "\nup " +
                  std::to_string(middle) + " " + std::to_string(y) +
                  "\nwait 500\n"
                  "tap " +
                  std::to_string(area.Left + area.Width - 2) + " " + std::to_string(y) +
                  "\nwait 500\n"
                  "down " +
                  at(stop) + "\nmove " + at(view) + "\nmove " + at(stop) + "\nup " + at(stop) +
                  "\nwait 1000\nquit\n");
  PlayerProcess player =
      StartPlayer(home.path, home / "journal.jsonl", {"--script=" + home / "script.txt", Clip()});
  EXPECT_EQ(WaitForExit(player), 0);
  const std::string journal = ReadFile(player.journal);
  std::vector<int> percents;
  for (size_t at = journal.find("\"event\":\"seek\""); at != std::string::npos;
       at = journal.find("\"event\":\"seek\"", at + 1)) {
    const size_t field = journal.find("\"percent\":", at);
    percents.push_back(std::atoi(journal.c_str() + field + 10));
  }
  ASSERT_EQ(percents.size(), 2u) << journal;
  EXPECT_NEAR(percents[0], 50, 1);
  EXPECT_GT(percents[1], percents[0]);  // a tap right of the knob moves it on
  const size_t stopped = journal.find("\"state\":\"stopped\"");
  ASSERT_NE(stopped, std::string::npos) << journal;
  EXPECT_NE(journal.find("\"reached_end\":0", stopped), std::string::npos) << journal;
}

}  // namespace

// The volume slider of the shipped 640x480 skin in the whole player: a knob dragged past the
// right end stops there and a press on it there leaves it; while muted, taps and drags move
// the knob without touching the device volume, and unmuting applies where the knob came to.
TEST(Window, TheVolumeKnobStopsAtTheRightEndAndMovesSilentlyWhileMuted) {
  ASSERT_FALSE(Clip().empty());
  Skin layout{};
  ParseSkin(ReadFile(std::string(MORVELANT_DIST_DIR) + "/Skins/Kub_640x480.pds"), u"", &layout);
  const SkinElement &area = layout.VolumeArea, &knob = layout.VolumeButton;
  // The numbers below follow from this geometry: a run of 80 pixels from Left 505.
  ASSERT_EQ(area.Left, 505);
  ASSERT_EQ(area.Width, 122);
  ASSERT_EQ(knob.Width, 42);
  const std::string y = " " + std::to_string(area.Top + area.Height / 2);
  TempFolder home;
  WriteScript(home / "script.txt",
              "wait 3000\n"
              // The knob starts at 80 % (Left 568): dragged far right it stops at Left 585.
              "down 589" +
                  y + "\nmove 700" + y + "\nup 700" + y + "\nwait 200\n" +
                  // A press at the right end lands on the knob and leaves it there.
                  "tap 626" + y + "\nwait 200\n" + "command 40038\nwait 200\n" +  // mute
                  // Muted: a tap left of the knob (to Left 577) and a drag to Left 519.
                  "tap 520" + y + "\nwait 200\n" + "down 598" + y + "\nmove 540" + y + "\nup 540" +
                  y + "\nwait 200\n" +
                  "command 40038\nwait 200\nquit\n");  // unmute: (519 - 505) x 100 / 80 = 17 %
  PlayerProcess player =
      StartPlayer(home.path, home / "journal.jsonl", {"--script=" + home / "script.txt", Clip()});
  EXPECT_EQ(WaitForExit(player), 0);
  const std::string journal = ReadFile(player.journal);
  std::vector<int> lefts;
  for (size_t at = journal.find("\"event\":\"volume\""); at != std::string::npos;
       at = journal.find("\"event\":\"volume\"", at + 1))
    lefts.push_back(std::atoi(journal.c_str() + journal.find("\"left\":", at) + 7));
  // The stored 80 % at start, 100 % twice, muted, nothing while muted, 17 % (17 x 65535 / 100),
  // and the desktop's own volume given back at exit.
  EXPECT_EQ(lefts, (std::vector<int>{52428, 65535, 65535, 0, 11140, 65535})) << journal;
}

// Closing the player (the window's close, a script's quit) while a menu, a dialog or a box is
// open ends it cleanly: the box goes with the window instead of drawing what went with it.
TEST(Window, ClosingThePlayerUnderAnOpenMenuOrDialogEndsCleanly) {
  ASSERT_FALSE(Clip().empty());
  for (const char* opening : {"tap 15 12", "command 40055", "command 40037"}) {
    TempFolder home;
    WriteScript(home / "script.txt", std::string("wait 1500\n") + opening + "\nwait 500\nquit\n");
    PlayerProcess player =
        StartPlayer(home.path, home / "journal.jsonl", {"--script=" + home / "script.txt", Clip()});
    EXPECT_EQ(WaitForExit(player), 0) << opening;
    EXPECT_NE(ReadFile(player.journal).find("\"event\":\"exit\""), std::string::npos) << opening;
  }
}
