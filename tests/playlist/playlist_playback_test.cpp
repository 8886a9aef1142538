// Playlists played through the real engine in-process: each end of an item is answered as the
// main window answers it (the next opening), and the journal shows what was opened, in order.
#include <algorithm>
#include <fstream>

#include "../playback/playback_fixture.h"
#include "core/player_state.h"
#include "platform/text.h"
#include "playback/open_item.h"
#include "playlist/playlist.h"

namespace {

const char kShortClip[] = "-f lavfi -i testsrc=size=64x48:rate=25 -t 0.4 -c:v mpeg4 -vtag XVID";

class PlaylistPlaybackTest : public PlaybackTest {
 protected:
  void SetUp() override {
    PlaybackTest::SetUp();
    ReleasePlaylist();
    StartEntry = 0;
    PlaylistPath[0] = 0;
    playerSettings.autoPlay = 1;
    for (const char* name : {"a", "b", "c"}) {
      const std::string clip = MakePlaybackMedia(std::string("list_") + name + ".avi", kShortClip);
      ASSERT_FALSE(clip.empty());
      clips.push_back(clip);
    }
  }
  void TearDown() override {
    PlaybackTest::TearDown();
    ReleasePlaylist();
  }
  // Loads an M3U of `entries`, opens its first entry and answers `ends` ends of items.
  void Play(const std::vector<std::string>& entries, int ends) {
    std::string text;
    for (const std::string& entry : entries) text += entry + "\n";
    const std::string list = home + "/list.m3u";
    std::ofstream(list) << text;
    StartBackend("null");
    LoadM3uPlaylist(Utf8ToWide(list).c_str(), 0);
    OpenItem(window, 0);
    for (int i = 0; i < ends; ++i) {
      ASSERT_TRUE(WaitForEnd()) << "end " << i;
      OpenItem(window, static_cast<int32_t>(lastEndParameter));
    }
  }
  // The paths of the items opened, in order.
  std::vector<std::string> Opened() {
    std::vector<std::string> paths;
    for (const std::string& line : JournalEvents(JournalText(), "item-opened")) {
      const size_t start = line.find("\"path\":\"") + 8;
      paths.push_back(line.substr(start, line.find('"', start) - start));
    }
    return paths;
  }
  std::vector<std::string> clips;
};

TEST_F(PlaylistPlaybackTest, PlaysThroughInOrderAndStopsAtTheEnd) {
  Play(clips, 3);
  // After the last entry the same entry is opened again, paused.
  EXPECT_EQ(Opened(), (std::vector<std::string>{clips[0], clips[1], clips[2], clips[2]}));
  EXPECT_EQ(startRequest, 0);
}

TEST_F(PlaylistPlaybackTest, RepeatWraps) {
  playerSettings.repeat = 1;
  Play(clips, 4);
  EXPECT_EQ(Opened(), (std::vector<std::string>{clips[0], clips[1], clips[2], clips[0], clips[1]}));
}

TEST_F(PlaylistPlaybackTest, ShuffleVisitsEveryEntryOncePerRound) {
  playerSettings.repeat = 1;
  playerSettings.shuffle = 1;
  Play(clips, 5);
  const std::vector<std::string> opened = Opened();
  ASSERT_GE(opened.size(), 6u);
  std::vector<std::string> sorted = clips;
  std::sort(sorted.begin(), sorted.end());
  for (size_t round = 0; round < 2; ++round) {
    std::vector<std::string> played(opened.begin() + 3 * round, opened.begin() + 3 * round + 3);
    std::sort(played.begin(), played.end());
    EXPECT_EQ(played, sorted) << "round " << round;
  }
}

// The opened entry is remembered as the playlist and its index; a new start goes back there.
TEST_F(PlaylistPlaybackTest, ResumesAtTheRememberedEntry) {
  Play(clips, 1);
  const std::u16string remembered(WideView(playerSettings.lastItem));
  EXPECT_EQ(remembered, Utf8ToWide(home + "/list.m3u 1"));
  ASSERT_TRUE(WaitForEnd());
  ReleasePlaylist();
  currentPath[0] = 0;
  LoadM3uPlaylist(remembered.c_str(), 1);
  SelectStartEntry();
  OpenItem(window, 0);
  EXPECT_EQ(Opened().back(), clips[1]);
  EXPECT_EQ(CurrentIndex, 1);
}

TEST_F(PlaylistPlaybackTest, ABrokenEntryIsSkipped) {
  Play({clips[0], home + "/missing.avi", clips[2]}, 2);
  EXPECT_EQ(Opened(), (std::vector<std::string>{clips[0], clips[2], clips[2]}));
}

}  // namespace
