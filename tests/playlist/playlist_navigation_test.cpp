// Stepping, what follows the end of an item, and the shuffle.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "playlist_fixture.h"

namespace {

using PlaylistNavigation = PlaylistTest;

TEST_F(PlaylistNavigation, AfterAnItemEnds) {
  const struct {
    const char* name;
    int count;  // 0: a single opened file, no list
    int32_t current;
    int32_t step;  // playlistStep: +1 natural end or Next, -1 Previous
    uint8_t repeat;
    uint8_t ended;  // reachedEnd
    int32_t nextIndex;
    uint8_t startRequest;
  } cases[] = {
      {"middle entry ends", 3, 1, +1, 0, 1, 2, 1},
      {"last entry ends, repeat off: stays, not started", 3, 2, +1, 0, 1, 2, 0},
      {"last entry ends, repeat on: wraps", 3, 2, +1, 1, 1, 0, 1},
      {"previous at entry 0 wraps even without repeat", 5, 0, -1, 0, 1, 4, 1},
      {"previous at the last entry without repeat stays", 5, 4, -1, 0, 1, 4, 0},
      {"previous at the last entry with repeat", 5, 4, -1, 1, 1, 3, 1},
      {"stopped by the user: nothing moves", 3, 1, +1, 1, 0, 1, 0},
      {"single file, repeat on: plays again", 0, 0, +1, 1, 1, 0, 1},
      {"single file, repeat off: opened paused", 0, 0, +1, 0, 1, 0, 0},
  };
  for (const auto& c : cases) {
    ResetPlaylist();
    currentPath[0] = u'/';
    currentPath[1] = 0;
    if (c.count) {
      MakeList(c.count);
      CurrentIndex = c.current;
      std::copy_n(PlayOrder[c.current].Path, kPlaylistTextChars, currentPath);
    }
    playlistStep = c.step;
    playerSettings.repeat = c.repeat;
    reachedEnd = c.ended;
    AdvanceAfterItem();
    EXPECT_EQ(CurrentIndex, c.nextIndex) << c.name;
    EXPECT_EQ(startRequest, c.startRequest) << c.name;
    if (c.count) {
      EXPECT_EQ(Current(), std::u16string(PlayOrder[c.nextIndex].Path)) << c.name;
      EXPECT_EQ(playlistStep, c.ended ? 1 : c.step) << c.name;
    } else {
      EXPECT_EQ(Current(), u"/") << c.name;
    }
  }
}

TEST_F(PlaylistNavigation, StepSetsTheCurrentItem) {
  MakeList(3);
  FileOrder[1].Path[0] = PlayOrder[1].Path[0] = 0;  // make entry 1 a URL in both orders
  const std::u16string url = u"http://r.example/1";
  std::copy(url.begin(), url.end() + 1, PlayOrder[1].Path);
  StepPlaylist(+1);
  EXPECT_EQ(Current(), url);
  EXPECT_EQ(isUrl, 1);
  EXPECT_EQ(startRequest, 1);
  StepPlaylist(+1);
  EXPECT_EQ(isUrl, 0);
  StepPlaylist(+1);
  EXPECT_EQ(CurrentIndex, 0);
}

TEST_F(PlaylistNavigation, ShuffleVisitsEveryEntryOncePerRound) {
  MakeList(7);
  playerSettings.shuffle = 1;
  DriveTickCount(1234);
  std::vector<std::u16string> previousRound;
  for (int round = 0; round < 3; ++round) {
    DriveTickCount(1000 + round);
    CurrentIndex = LastIndex.load();
    StepPlaylist(+1);  // the wrap reshuffles
    std::vector<std::u16string> played{Current()};
    for (int i = 0; i < 6; ++i) {
      StepPlaylist(+1);
      played.push_back(Current());
    }
    std::vector<std::u16string> sorted = played;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::u16string> files = Paths(FileOrder);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(sorted, files) << "round " << round;
    EXPECT_EQ(played, Paths(PlayOrder));
    if (round > 0) {
      EXPECT_NE(played, previousRound);
    }
    previousRound = played;
  }
  EXPECT_EQ(Paths(FileOrder)[0], u"/m/0.mp3");  // the file order never changes
  EXPECT_EQ(Paths(FileOrder)[6], u"/m/6.mp3");
}

TEST_F(PlaylistNavigation, ShuffleIsSeededFromTheTickCount) {
  auto orderFor = [&](uint32_t ticks) {
    MakeList(20);
    playerSettings.shuffle = 1;
    DriveTickCount(ticks);
    ReorderPlaylist();
    return Paths(PlayOrder);
  };
  EXPECT_EQ(orderFor(42), orderFor(42));
  EXPECT_NE(orderFor(42), orderFor(43));
}

TEST_F(PlaylistNavigation, ShuffleOfOneEntryKeepsIt) {
  MakeList(1);
  playerSettings.shuffle = 1;
  ReorderPlaylist();
  StepPlaylist(+1);
  EXPECT_EQ(Current(), u"/m/0.mp3");
  EXPECT_EQ(CurrentIndex, 0);
}

TEST_F(PlaylistNavigation, StartSuffixWithShuffleFindsItsEntry) {
  const std::string path = Write("five.m3u", "/0.mp3\n/1.mp3\n/2.mp3\n/3.mp3\n/4.mp3\n");
  playerSettings.shuffle = 1;
  for (uint32_t ticks : {1u, 77u, 5000u}) {
    DriveTickCount(ticks);
    LoadM3uPlaylist(Utf8ToWide(path + " 2").c_str(), 0);
    EXPECT_EQ(Current(), u"/2.mp3") << ticks;
    // The start timer reshuffles an order that is already shuffled: the entry is still found.
    DriveTickCount(ticks * 3 + 1);
    SelectStartEntry();
    EXPECT_EQ(Current(), u"/2.mp3") << ticks;
    EXPECT_EQ(std::u16string(PlayOrder[CurrentIndex].Path), u"/2.mp3") << ticks;
  }
}

TEST_F(PlaylistNavigation, ShuffleOffRestoresTheFileOrder) {
  MakeList(6);
  playerSettings.shuffle = 1;
  DriveTickCount(9);
  ReorderPlaylist();
  ASSERT_NE(Paths(PlayOrder), Paths(FileOrder));
  // The shuffle command switching it off while an item plays.
  playerSettings.shuffle = 0;
  CurrentIndex = LastIndex.load();
  ReorderRequest = 1;
  StepPlaylist(+1);
  EXPECT_EQ(Paths(PlayOrder), Paths(FileOrder));
  EXPECT_EQ(CurrentIndex, 0);
  EXPECT_EQ(ReorderRequest, 0);
}

TEST_F(PlaylistNavigation, ShuffleCommandWithoutAListKeepsTheFile) {
  const std::u16string file = u"/v/only.avi";
  std::copy(file.begin(), file.end() + 1, currentPath);
  playerSettings.shuffle = 1;
  ReorderRequest = 1;
  StepPlaylist(+1);
  EXPECT_EQ(Current(), file);
  EXPECT_EQ(CurrentIndex, 0);
}

// A 15-bit draw cannot reach every place of a list this long; the shuffle still ends.
TEST_F(PlaylistNavigation, ShuffleOfAVeryLongListEnds) {
  MakeList(32800);
  playerSettings.shuffle = 1;
  ReorderPlaylist();
  std::set<int32_t> places;
  for (const PlaylistEntry& entry : PlayOrder) places.insert(entry.FileIndex);
  EXPECT_EQ(places.size(), 32800u);
  EXPECT_NE(Paths(PlayOrder), Paths(FileOrder));
}

}  // namespace
