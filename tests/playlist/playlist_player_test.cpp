// Playlists in the whole player, run headless from a script: the next and previous keys step
// the list, a new start resumes the entry the last run had reached, and a tap on a row of the
// playlist view opens it.
#include <gtest/gtest.h>

#include <fstream>

#include "../e2e/player_process.h"
#include "../platform/temp_folder.h"
#include "../playback/playback_fixture.h"
#include "skin/skin.h"

namespace {

const char kLongClip[] = "-f lavfi -i testsrc=size=64x48:rate=25 -t 20 -c:v mpeg4 -vtag XVID";

std::vector<std::string> OpenedPaths(const std::string& journal) {
  std::vector<std::string> paths;
  for (const std::string& line : JournalEvents(ReadFile(journal), "item-opened")) {
    const size_t start = line.find("\"path\":\"") + 8;
    paths.push_back(line.substr(start, line.find('"', start) - start));
  }
  return paths;
}

TEST(PlaylistPlayer, NextAndPreviousKeysThenResumeAfterARestart) {
  std::vector<std::string> clips;
  for (const char* name : {"a", "b", "c"}) {
    clips.push_back(MakePlaybackMedia(std::string("long_") + name + ".avi", kLongClip));
    ASSERT_FALSE(clips.back().empty());
  }
  TempFolder home;
  std::ofstream(home / "list.m3u") << clips[0] << "\n" << clips[1] << "\n" << clips[2] << "\n";
  // Next (the next-track media key), Previous, Next: a, b, a, b.
  std::ofstream(home / "keys.txt") << "wait 2500\nkey 0xB0\nwait 1500\nkey 0xB1\nwait 1500\n"
                                      "key 0xB0\nwait 1500\nquit\n";
  PlayerProcess first = StartPlayer(home.path, home / "first.jsonl",
                                    {"--script=" + home / "keys.txt", home / "list.m3u"});
  EXPECT_EQ(WaitForExit(first), 0);
  EXPECT_EQ(OpenedPaths(home / "first.jsonl"),
            (std::vector<std::string>{clips[0], clips[1], clips[0], clips[1]}));

  // Started again without an item: the list comes back at entry 1.
  std::ofstream(home / "quit.txt") << "wait 2500\nquit\n";
  PlayerProcess second =
      StartPlayer(home.path, home / "second.jsonl", {"--script=" + home / "quit.txt"});
  EXPECT_EQ(WaitForExit(second), 0);
  EXPECT_EQ(OpenedPaths(home / "second.jsonl"), std::vector<std::string>{clips[1]});
}

// Audio items show the playlist in the viewport of the shipped 640x480 skin: on the second
// entry, a tap just inside the top of the list, on the first row, opens the first.
TEST(PlaylistPlayer, ATapOnARowOfThePlaylistViewOpensThatEntry) {
  std::vector<std::string> songs;
  for (const char* name : {"a", "b", "c"}) {
    songs.push_back(
        MakePlaybackMedia(std::string("song_") + name + ".avi",
                          "-f lavfi -i sine=frequency=440:duration=20 -c:a libmp3lame"));
    ASSERT_FALSE(songs.back().empty());
  }
  Skin layout{};
  ParseSkin(ReadFile(std::string(MORVELANT_DIST_DIR) + "/Skins/Kub_640x480.pds"), u"", &layout);
  const SkinElement& list = layout.ViewPort;
  ASSERT_GT(list.Height, 20);
  TempFolder home;
  std::ofstream(home / "list.m3u") << songs[0] << "\n" << songs[1] << "\n" << songs[2] << "\n";
  std::ofstream(home / "tap.txt") << "wait 2500\nkey 0xB0\nwait 1500\ntap " << list.Left + 50 << " "
                                  << list.Top + 5 << "\nwait 1500\nquit\n";
  PlayerProcess player = StartPlayer(home.path, home / "tap.jsonl",
                                     {"--script=" + home / "tap.txt", home / "list.m3u"});
  EXPECT_EQ(WaitForExit(player), 0);
  EXPECT_EQ(OpenedPaths(home / "tap.jsonl"),
            (std::vector<std::string>{songs[0], songs[1], songs[0]}));
}

}  // namespace
