// The playlist's globals reset around each test, and playlist files written into a fresh folder.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "../platform/temp_folder.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "playlist/playlist.h"

// The playlist and the player-wide values it touches, as at start.
inline void ResetPlaylist() {
  ReleasePlaylist();
  StartEntry = 0;
  ReorderRequest = 0;
  PlaylistPath[0] = 0;
  currentPath[0] = 0;
  isUrl = 0;
  startRequest = 0;
  reachedEnd = 0;
  playlistStep = 1;
  playerSettings = {};
  playlistHooks = {};
}

// A list of `count` entries "/m/0.mp3", "/m/1.mp3", ... as a loader leaves it.
inline void MakeList(int count) {
  std::u16string text;
  for (int i = 0; i < count; ++i) text += u"/m/" + Utf8ToWide(std::to_string(i)) + u".mp3\r\n";
  ReleasePlaylist();
  ParseEntryList(text.data(), static_cast<int32_t>(text.size()), 0);
  LastIndex = count - 1;
  CurrentIndex = 0;
}

inline std::u16string Current() {
  return std::u16string(WideView(currentPath));
}

inline std::vector<std::u16string> Paths(const std::vector<PlaylistEntry>& order) {
  std::vector<std::u16string> paths;
  for (const PlaylistEntry& entry : order) paths.emplace_back(entry.Path);
  return paths;
}

class PlaylistTest : public testing::Test {
 protected:
  void SetUp() override { ResetPlaylist(); }
  void TearDown() override {
    ResetPlaylist();
    ReleaseTickCount();
  }
  // Writes `bytes` to a file of the folder and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
    return folder / name;
  }

  TempFolder folder;
};
