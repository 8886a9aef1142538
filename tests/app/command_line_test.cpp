#include "app/command_line.h"

#include <gtest/gtest.h>

#include "core/player_state.h"
#include "platform/text.h"

namespace {

std::u16string lastLoaded;
int lastRows = -1;
void RecordLoad(const char16_t* line, int rows) {
  lastLoaded = line;
  lastRows = rows;
}

}  // namespace

TEST(CommandLine, RulesInOrder) {
  struct Case {
    std::u16string line;
    CommandLineRule rule;
    std::u16string skin;
    std::u16string item;
  };
  using R = CommandLineRule;
  const Case cases[] = {
      {u"-ts\\Skins\\Big.pds \\Video\\clip.avi", R::SkinAndItem, u"\\Skins\\Big.pds",
       u"\\Video\\clip.avi"},
      {u"-ts\\Skins\\Big.pds", R::SkinAndItem, u"\\Skins\\Big.pds", u""},
      {u"-ts\\Skins\\Big.pds ", R::SkinAndItem, u"\\Skins\\Big.pds", u""},
      {u"-ts /s/a.pds/b.pds x.avi", R::SkinAndItem, u" /s/a.pds",
       u"b.pds x.avi"},  // no blank skipped
      {u"-ts\\Skins\\list.pdl.pds x.pls", R::SkinAndItem, u"\\Skins\\list.pdl.pds", u"x.pls"},
      {u"\\My Music\\party.pdl 3", R::PdlPlaylist, u"", u"\\My Music\\party.pdl 3"},
      {u"\\Folder.pls\\clip.avi", R::PlsPlaylist, u"", u"\\Folder.pls\\clip.avi"},
      {u"/music/a.m3u", R::M3uPlaylist, u"", u"/music/a.m3u"},
      {u"/music/list.py 2", R::PyPlaylist, u"", u"/music/list.py 2"},
      {u"/x/a.pls.pdl", R::PdlPlaylist, u"", u"/x/a.pls.pdl"},  // .pdl is tried first
      {u"http://radio.example/stream", R::MediaItem, u"", u"http://radio.example/stream"},
      {u"\"/v/with quotes.avi\"", R::MediaItem, u"", u"\"/v/with quotes.avi\""},
      {u"", R::MediaItem, u"", u""},
      // "-ts" without a ".pds" after it: the option is dropped.
      {u"-ts /v/clip.avi", R::MediaItem, u"", u"/v/clip.avi"},
      {u"-ts/p/list.m3u", R::M3uPlaylist, u"", u"/p/list.m3u"},
  };
  for (const Case& c : cases) {
    const CommandLineChoice choice = InterpretCommandLine(c.line);
    const std::string line = WideToUtf8(c.line);
    EXPECT_EQ(choice.rule, c.rule) << line;
    EXPECT_EQ(choice.skin, c.skin) << line;
    EXPECT_EQ(choice.item, c.item) << line;
  }
}

TEST(CommandLine, AppliesToThePlayersGlobals) {
  ApplyCommandLine(u"http://radio.example/a.mp3");
  EXPECT_EQ(WideView(currentPath), u"http://radio.example/a.mp3");
  EXPECT_EQ(isUrl, 1);
  ApplyCommandLine(u"HTTP://upper.example/a.mp3");  // compared case-sensitively
  EXPECT_EQ(isUrl, 0);

  ApplyCommandLine(u"-ts/s/Big.pds /v/clip.avi");
  EXPECT_EQ(WideView(commandLineSkin), u"/s/Big.pds");
  EXPECT_EQ(WideView(currentPath), u"/v/clip.avi");

  const std::u16string longPath(500, u'a');
  ApplyCommandLine(longPath);
  EXPECT_EQ(WideLength(currentPath), size_t{kMediaPathChars - 1});

  playlistLoaders.pls = RecordLoad;
  ApplyCommandLine(u"/lists/radio.pls 2");
  EXPECT_EQ(lastLoaded, u"/lists/radio.pls 2");
  EXPECT_EQ(lastRows, 0);
  playlistLoaders.pls = nullptr;
}

TEST(CommandLine, TheLastItemIsReadByThePlaylistRulesWithRowsAndNoSkinOption) {
  const PlaylistLoaders saved = playlistLoaders;
  playlistLoaders = {RecordLoad, RecordLoad, RecordLoad};
  ApplyLastItem(u"/My Music/party.pdl 3");
  EXPECT_EQ(lastLoaded, u"/My Music/party.pdl 3");
  EXPECT_EQ(lastRows, 1);  // the playlist view exists by now

  lastLoaded.clear();
  ApplyLastItem(u"/v/-ts/clip.avi");  // a folder named like the option is just a path
  EXPECT_EQ(WideView(currentPath), u"/v/-ts/clip.avi");
  EXPECT_EQ(isUrl, 0);
  EXPECT_TRUE(lastLoaded.empty());
  ApplyLastItem(u"http://radio.example/live");
  EXPECT_EQ(isUrl, 1);
  playlistLoaders = saved;
}
