// The loaders over real files: the start suffix, the first entry, what an empty or unreadable
// file changes, encodings and relative paths, and a multiple selection.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "playlist_fixture.h"

namespace {

std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

using PlaylistLoaders = PlaylistTest;

TEST_F(PlaylistLoaders, PdlWithStartSuffix) {
  const std::string path =
      Write("party.pdl", Utf16Le(u"/v/a.avi\r\n/v/b.avi\r\n/v/c.avi\r\n/v/d.avi\r\n"));
  playerSettings.autoPlay = 1;
  LoadPdlPlaylist(Utf8ToWide(path + " 3").c_str(), 0);
  EXPECT_EQ(WideView(PlaylistPath), Utf8ToWide(path));
  EXPECT_EQ(StartEntry, 4);
  EXPECT_EQ(LastIndex, 3);
  EXPECT_EQ(CurrentIndex, 0);  // the suffix is honoured when the first item opens
  EXPECT_EQ(Current(), u"/v/a.avi");
  EXPECT_EQ(startRequest, 1);
  SelectStartEntry();
  EXPECT_EQ(CurrentIndex, 3);
  EXPECT_EQ(Current(), u"/v/d.avi");
  EXPECT_EQ(StartEntry, 0);
}

TEST_F(PlaylistLoaders, FirstEntryAndStartRequest) {
  const struct {
    const char* name;
    std::string bytes;
    uint8_t autoPlay;
    int32_t lastIndex;
    std::u16string current;
  } cases[] = {
      {"three.m3u", "/a.mp3\n/b.mp3\n/c.mp3", 1, 2, u"/a.mp3"},
      {"one.m3u", "/only.mp3\n", 0, 0, u"/only.mp3"},  // one entry: LastIndex 0, as one file
      {"radio.pls", "File1=http://r.example/x\nTitle1=X\n", 1, 0, u"http://r.example/x"},
  };
  for (const auto& c : cases) {
    ResetPlaylist();
    playerSettings.autoPlay = c.autoPlay;
    const std::string path = Write(c.name, c.bytes);
    if (std::string(c.name).ends_with(".pls"))
      LoadPlsPlaylist(Utf8ToWide(path).c_str(), 0);
    else
      LoadM3uPlaylist(Utf8ToWide(path).c_str(), 0);
    EXPECT_EQ(LastIndex, c.lastIndex) << c.name;
    EXPECT_EQ(CurrentIndex, 0) << c.name;
    EXPECT_EQ(Current(), c.current) << c.name;
    EXPECT_EQ(isUrl, c.current.starts_with(u"http://") ? 1 : 0) << c.name;
    EXPECT_EQ(startRequest, c.autoPlay) << c.name;
  }
}

TEST_F(PlaylistLoaders, NoEntriesLeaveTheCurrentItem) {
  const std::string empty = Write("empty.m3u", "#EXTM3U\n\n");
  for (const std::string& path : {empty, folder / "missing.m3u"}) {
    ResetPlaylist();
    MakeList(3);
    currentPath[0] = u'x';
    currentPath[1] = 0;
    LoadM3uPlaylist(Utf8ToWide(path + " 2").c_str(), 0);
    EXPECT_EQ(LastIndex, 0) << path;
    EXPECT_TRUE(PlayOrder.empty() && FileOrder.empty()) << path;
    EXPECT_EQ(Current(), u"x") << path;
    EXPECT_EQ(WideView(PlaylistPath), Utf8ToWide(path)) << path;
    EXPECT_EQ(StartEntry, 0) << path;  // nothing to start at
    SelectStartEntry();
    EXPECT_EQ(Current(), u"x") << path;
  }
}

TEST_F(PlaylistLoaders, SuffixBeyondTheListIsIgnored) {
  const std::string path = Write("two.m3u", "/a.mp3\n/b.mp3\n");
  LoadM3uPlaylist(Utf8ToWide(path + " 7").c_str(), 0);
  EXPECT_EQ(StartEntry, 0);
  SelectStartEntry();
  EXPECT_EQ(Current(), u"/a.mp3");
}

TEST_F(PlaylistLoaders, RelativeAndFileUrlEntriesOpenTheRightFiles) {
  Write("clip é.avi", "x");
  const std::string path = Write(
      "list.m3u", "#EXTM3U\r\nclip \xE9.avi\r\nfile://" + folder.path + "/clip%20%C3%A9.avi\r\n");
  LoadM3uPlaylist(Utf8ToWide(path).c_str(), 0);
  ASSERT_EQ(FileOrder.size(), 2u);
  for (const PlaylistEntry& entry : FileOrder) {
    EXPECT_EQ(WideView(entry.Path), Utf8ToWide(folder / "clip é.avi"));
    EXPECT_TRUE(FileExists(WideToUtf8(entry.Path)));
  }
}

TEST_F(PlaylistLoaders, PdlWrittenWithAMarkAndLongLinesCut) {
  const std::u16string longName(300, u'n');
  const std::string path =
      Write("marked.pdl", "\xFF\xFE" + Utf16Le(u"/Музыка/a.mp3\r\n/" + longName + u"\r\n"));
  LoadPdlPlaylist(Utf8ToWide(path).c_str(), 0);
  ASSERT_EQ(FileOrder.size(), 2u);
  EXPECT_EQ(WideView(FileOrder[0].Path), u"/Музыка/a.mp3");
  EXPECT_EQ(WideView(FileOrder[1].Path).size(), size_t{kPlaylistTextChars - 1});
}

TEST_F(PlaylistLoaders, ManyEntriesGrowBothArrays) {
  std::string text;
  for (int i = 0; i < 250; ++i) text += "/m/" + std::to_string(i) + ".mp3\n";
  LoadM3uPlaylist(Utf8ToWide(Write("big.m3u", text)).c_str(), 0);
  EXPECT_EQ(LastIndex, 249);
  ASSERT_EQ(PlayOrder.size(), 250u);
  EXPECT_EQ(WideView(PlayOrder[249].Path), u"/m/249.mp3");
  EXPECT_EQ(Paths(PlayOrder), Paths(FileOrder));
}

TEST_F(PlaylistLoaders, SelectionListInDialogOrder) {
  const std::u16string selection = u"/v/c.avi\r\n/v/a.avi\r\n/v/b.avi\r\n";
  ParseEntryList(selection.data(), static_cast<int32_t>(selection.size()), 0);
  EXPECT_EQ(Paths(FileOrder), (std::vector<std::u16string>{u"/v/c.avi", u"/v/a.avi", u"/v/b.avi"}));
}

}  // namespace
