// Playlists in the whole player, run headless from a script: the next and previous keys step
// the list, and a new start resumes the entry the last run had reached.
#include <gtest/gtest.h>

#include <fstream>

#include "../e2e/player_process.h"
#include "../platform/temp_folder.h"
#include "../playback/playback_fixture.h"

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

}  // namespace
