#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/player_settings.h"
#include "player_process.h"
#include "tests/platform/temp_folder.h"

namespace {

void WriteSettings(const std::string& home, int32_t lastFrame, uint8_t muted) {
  PlayerSettings settings{};
  settings.audioEnabled = 1;
  settings.lastFrame = lastFrame;
  settings.muted = muted;
  settings.volume = 0x40001000;  // left 0x1000, right 0x4000
  std::ofstream(home + "/settings.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(&settings), sizeof(settings));
}

PlayerSettings ReadSettings(const std::string& home) {
  PlayerSettings settings{};
  const std::string bytes = ReadFile(home + "/settings.bin");
  EXPECT_EQ(bytes.size(), sizeof(settings));
  std::memcpy(&settings, bytes.data(), std::min(bytes.size(), sizeof(settings)));
  return settings;
}

}  // namespace

TEST(Startup, VersionAndHelpPrintAndSucceed) {
  std::string output;
  EXPECT_EQ(RunPlayer({"--version"}, &output), 0);
  EXPECT_EQ(output.rfind("morvelant ", 0), 0u) << output;
  output.clear();
  EXPECT_EQ(RunPlayer({"--help"}, &output), 0);
  EXPECT_NE(output.find("--headless"), std::string::npos);
  for (const char* bad : {"--no-such-option", "--screen=100000x100000", "--screen=8000x480",
                          "--script=/tmp", "--script=/nonexistent/run.txt"}) {
    output.clear();
    EXPECT_EQ(RunPlayer({bad}, &output), 2) << bad;
  }
}

// Special files where the player expects its own: a FIFO as user.reg once blocked the start in
// open() before SIGTERM was handled. Now it is refused like an unreadable file.
TEST(Startup, AFifoInPlaceOfTheRegistryDoesNotBlockTheStart) {
  TempFolder home;
  ASSERT_EQ(mkfifo((home.path + "/user.reg").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((home.path + "/settings.bin").c_str(), 0600), 0);
  PlayerProcess player = StartPlayer(home.path, home.path + "/journal.jsonl", {});
  ASSERT_TRUE(WaitForEvent(player, "window-created"));
  kill(player.pid, SIGTERM);
  EXPECT_EQ(WaitForExit(player), 0);
}

TEST(Startup, ANewPlayerReplacesTheRunningOneAfterItStoredItsSettings) {
  TempFolder home;
  WriteSettings(home.path, 1234, 1);
  PlayerProcess old = StartPlayer(home.path, home.path + "/old.jsonl", {});
  ASSERT_TRUE(WaitForEvent(old, "window-created"));
  // What the running player holds in memory must reach the file before the new one reads it.
  WriteSettings(home.path, 999, 1);

  PlayerProcess replacement = StartPlayer(home.path, home.path + "/new.jsonl", {});
  EXPECT_EQ(WaitForExit(old), 0);
  const std::string oldJournal = ReadFile(old.journal);
  EXPECT_NE(oldJournal.find("\"settings-saved\""), std::string::npos);
  EXPECT_NE(oldJournal.find("\"event\":\"exit\",\"code\":0"), std::string::npos) << oldJournal;

  ASSERT_TRUE(WaitForEvent(replacement, "window-created"));
  // The new player waited a second after the old one had closed before making its window.
  const std::string newJournal = ReadFile(replacement.journal);
  const size_t created = newJournal.find("\"event\":\"window-created\"");
  const long createdAt = std::stol(newJournal.substr(newJournal.rfind("\"t\":", created) + 4));
  EXPECT_GE(createdAt, 1000) << newJournal;
  kill(replacement.pid, SIGTERM);  // closes like the close button: settings stored, code 0
  EXPECT_EQ(WaitForExit(replacement), 0);
  EXPECT_TRUE(WaitForEvent(replacement, "settings-saved"));
  const PlayerSettings stored = ReadSettings(home.path);
  EXPECT_EQ(stored.lastFrame, 1234);      // loaded what the old player stored, not the 999
  EXPECT_EQ(stored.muted, 0);             // every start is unmuted
  EXPECT_EQ(stored.volume, 0x40001000u);  // set on the device at start, read back at close
}

TEST(Startup, ASmallScreenLetsTheTaskBarHideWhileThePlayerRuns) {
  const std::string autoHide = "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Shell\\AutoHide]";
  for (const bool small : {true, false}) {
    TempFolder home;
    PlayerProcess player = StartPlayer(home.path, home.path + "/journal.jsonl",
                                       {small ? "--screen=640x240" : "--screen=640x480"});
    ASSERT_TRUE(WaitForEvent(player, "window-created"));
    const std::string running = ReadFile(home.path + "/system.reg");
    // The socket is bound just after the window exists.
    for (int tries = 0; tries < 500 && !std::filesystem::exists(home.path + "/morvelant.sock");
         ++tries)
      usleep(10000);
    EXPECT_TRUE(std::filesystem::exists(home.path + "/morvelant.sock"));
    kill(player.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(player), 0);
    // The single-instance socket goes with the player.
    EXPECT_FALSE(std::filesystem::exists(home.path + "/morvelant.sock"));
    const std::string ended = ReadFile(home.path + "/system.reg");
    if (small) {
      EXPECT_NE(running.find(autoHide + "\n\"Default\"=dword:00000001"), std::string::npos)
          << running;
      EXPECT_NE(ended.find(autoHide + "\n\"Default\"=dword:00000000"), std::string::npos) << ended;
    } else {
      EXPECT_EQ(ended.find("AutoHide"), std::string::npos) << ended;
    }
  }
}
