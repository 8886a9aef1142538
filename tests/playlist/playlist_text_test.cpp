// Playlist files as text: encodings, line ends, the three formats as the player and other
// programs write them, paths taken from the playlist's folder, start suffixes, row texts and
// the cut at 199 characters.
#include "playlist/playlist_text.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

using Entries = std::vector<ParsedEntry>;

std::string Describe(const Entries& entries) {
  std::string text;
  for (const ParsedEntry& e : entries) {
    text += '[';
    text += WideToUtf8(e.path);
    text += " | ";
    text += WideToUtf8(e.title);
    text += "] ";
  }
  return text;
}

// Little-endian UTF-16 bytes of wide text, as the playlist editor writes ".pdl" files.
std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

Entries Parse(std::string_view bytes, PlaylistFormat format) {
  return ParsePlaylistText(DecodePlaylistBytes(bytes, format), format);
}

TEST(PlaylistText, FormatsAsWrittenByThePlayerAndOthers) {
  using F = PlaylistFormat;
  const struct {
    const char* name;
    std::string bytes;
    F format;
    Entries entries;
  } cases[] = {
      {"pdl of three CR LF paths",
       Utf16Le(u"/a.avi\r\n/b.avi\r\n/c.avi\r\n"),
       F::Pdl,
       {{u"/a.avi", u""}, {u"/b.avi", u""}, {u"/c.avi", u""}}},
      {"pdl blank line makes an empty entry",
       Utf16Le(u"/a.avi\r\n\r\n/b.avi\r\n"),
       F::Pdl,
       {{u"/a.avi", u""}, {u"", u""}, {u"/b.avi", u""}}},
      {"pdl last line without end",
       Utf16Le(u"/a.avi\r\n/b.avi"),
       F::Pdl,
       {{u"/a.avi", u""}, {u"/b.avi", u""}}},
      {"pdl with a byte-order mark",
       "\xFF\xFE" + Utf16Le(u"/é.avi\r\n"),
       F::Pdl,
       {{u"/é.avi", u""}}},
      {"pdl odd trailing byte", Utf16Le(u"/a.avi\r\n") + "x", F::Pdl, {{u"/a.avi", u""}}},
      {"m3u LF, no final end",
       "/a.mp3\n/b.mp3\n\n/c.mp3",
       F::M3u,
       {{u"/a.mp3", u""}, {u"/b.mp3", u""}, {u"/c.mp3", u""}}},
      {"m3u mixed LF and CR LF",
       "/a.mp3\n/b.mp3\r\n/c.mp3\n/d.mp3\r\n",
       F::M3u,
       {{u"/a.mp3", u""}, {u"/b.mp3", u""}, {u"/c.mp3", u""}, {u"/d.mp3", u""}}},
      {"m3u old Mac CR only", "/a.mp3\r/b.mp3\r", F::M3u, {{u"/a.mp3", u""}, {u"/b.mp3", u""}}},
      {"extended m3u",
       "#EXTM3U\r\n#EXTINF:215,Artist - Song\r\n/m/song.mp3\r\n"
       "# a comment\r\n/m/plain.mp3\r\n#EXTINF:-1,Radio One\r\nhttp://r.example/live\r\n",
       F::M3u,
       {{u"/m/song.mp3", u"Artist - Song"},
        {u"/m/plain.mp3", u""},
        {u"http://r.example/live", u"Radio One"}}},
      {"extinf with attributes holding a comma",
       "#EXTINF:-1 tvg-name=\"a,b\" group=\"x\",News\n/n.ts\n",
       F::M3u,
       {{u"/n.ts", u"News"}}},
      {"extinf title is kept across a blank line",
       "#EXTINF:10,Kept\n\n/k.mp3\n",
       F::M3u,
       {{u"/k.mp3", u"Kept"}}},
      {"m3u blanks around a path", "  /a b.mp3 \t\n", F::M3u, {{u"/a b.mp3", u""}}},
      {"m3u UTF-8 with its mark", "\xEF\xBB\xBF/caf\xC3\xA9.mp3\n", F::M3u, {{u"/café.mp3", u""}}},
      {"m3u UTF-8 without a mark, non-Latin",
       "/\xD0\x9C\xD1\x83\xD0\xB7.mp3\n",
       F::M3u,
       {{u"/Муз.mp3", u""}}},
      {"m3u Windows-1252", "/caf\xE9 \x80.mp3\n", F::M3u, {{u"/café €.mp3", u""}}},
      {"m3u UTF-16 with its mark",
       "\xFF\xFE" + Utf16Le(u"/日本.mp3\r\n"),
       F::M3u,
       {{u"/日本.mp3", u""}}},
      {"m3u UTF-16 big-endian mark", std::string("\xFE\xFF\x00/\x00x", 6), F::M3u, {{u"/x", u""}}},
      {"radio pls",
       "[playlist]\r\nNumberOfEntries=2\r\nFile1=http://a.example:8000/\r\n"
       "Title1=Station A\r\nLength1=-1\r\nFile2=http://b.example/s\r\n"
       "Length2=-1\r\nTitle2=Late title\r\nVersion=2\r\n",
       F::Pls,
       {{u"http://a.example:8000/", u"Station A"}, {u"http://b.example/s", u""}}},
      {"pls local file skipped, stream titled",
       "File1=/m/a.mp3\nFile2=http://s.example/x\n"
       "title2=Stream X\n",
       F::Pls,
       {{u"http://s.example/x", u"Stream X"}}},
      {"pls Length line is never a title",
       "File1=http://s/x\nLength1=-1\nTitle1=T\n",
       F::Pls,
       {{u"http://s/x", u""}}},
      {"pls title line without =", "File1=http://s/x\nTitle1\n", F::Pls, {{u"http://s/x", u""}}},
      {"pls title line followed by a stream",
       "File1=http://s/1\nTitle1=One\nFile2=http://s/2\n",
       F::Pls,
       {{u"http://s/1", u"One"}, {u"http://s/2", u""}}},
      {"empty file", "", F::M3u, {}},
  };
  for (const auto& c : cases) {
    const Entries got = Parse(c.bytes, c.format);
    EXPECT_EQ(got, c.entries) << c.name << ": " << Describe(got);
  }
}

TEST(PlaylistText, EntryPathsFromThePlaylistsFolder) {
  const struct {
    std::u16string entry, folder, path;
  } cases[] = {
      {u"song.mp3", u"/home/u/Music", u"/home/u/Music/song.mp3"},
      {u"sub/song.mp3", u"/m", u"/m/sub/song.mp3"},
      {u"../x.avi", u"/m/lists", u"/m/lists/../x.avi"},
      {u"song.mp3", u"", u"song.mp3"},  // a playlist named without a folder: the working folder
      {u"/abs/song.mp3", u"/m", u"/abs/song.mp3"},
      {u"http://radio.example/live", u"/m", u"http://radio.example/live"},
      {u"rtsp://cam.example/1", u"/m", u"rtsp://cam.example/1"},
      {u"file:///m/a%20b%C3%A9.mp3", u"/x", u"/m/a bé.mp3"},
      {u"file://localhost/m/c.mp3", u"/x", u"/m/c.mp3"},
      {u"FILE:///m/100%.mp3", u"/x", u"/m/100%.mp3"},  // a lone '%' stays
      {u"C:\\Music\\a.mp3", u"/m", u"C:\\Music\\a.mp3"},
      {u"\\My Music\\a.mp3", u"/m", u"\\My Music\\a.mp3"},
      {u"", u"/m", u""},
      {u"a:b.mp3", u"/m", u"a:b.mp3"},  // read as a drive letter
      {u"ab:c.mp3", u"/m", u"/m/ab:c.mp3"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ResolveEntryPath(c.entry, c.folder), c.path) << WideToUtf8(c.entry);
  EXPECT_EQ(FolderOf(u"/m/lists/a.m3u"), u"/m/lists");
  EXPECT_EQ(FolderOf(u"a.m3u"), u"");
}

TEST(PlaylistText, StartSuffix) {
  const struct {
    std::u16string path, extension, cut;
    int32_t index;
  } cases[] = {
      {u"/My Music/party.pdl 3", u".pdl", u"/My Music/party.pdl", 3},
      {u"/m/party.pdl", u".pdl", u"/m/party.pdl", -1},
      {u"/m/party.pdl 12", u".pdl", u"/m/party.pdl", 12},
      {u"/m/party.PDL 1", u".pdl", u"/m/party.PDL", 1},
      {u"/m/party.pdl x", u".pdl", u"/m/party.pdl x", -1},
      {u"/m/party.pdl ", u".pdl", u"/m/party.pdl ", -1},
      {u"/m/party.pdl 3a", u".pdl", u"/m/party.pdl 3a", -1},
      {u"/m/.python/list.py 2", u".py", u"/m/.python/list.py", 2},  // not the folder's ".py"
      {u"/m/my list.m3u", u".m3u", u"/m/my list.m3u", -1},
      {u"/m/a.pdl 99999999999", u".pdl", u"/m/a.pdl 99999999999", -1},
  };
  for (const auto& c : cases) {
    int32_t index = -2;
    EXPECT_EQ(CutStartSuffix(c.path, c.extension, &index), c.cut) << WideToUtf8(c.path);
    EXPECT_EQ(index, c.index) << WideToUtf8(c.path);
  }
}

TEST(PlaylistText, RowText) {
  const struct {
    std::u16string path, title, row;
  } cases[] = {
      {u"/music/album/song.mp3", u"", u"song.mp3"},
      {u"\\My Music\\clip.avi", u"", u"clip.avi"},
      {u"/music/song.mp3", u"A Title", u"A Title"},
      {u"/music/a.b/noext", u"", u"/music/a.b/noext"},
      {u"song.mp3", u"", u"song.mp3"},
      {u"http://radio.example:8000/", u"", u"http://radio.example:8000/"},
      {u"http://radio.example/live.mp3", u"", u"live.mp3"},
      {u"", u"", u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlaylistRowText(c.path, c.title), c.row) << WideToUtf8(c.path);
}

TEST(PlaylistText, CutAtACharacterBoundary) {
  char16_t buffer[200];
  CopyCut(buffer, 200, std::u16string(250, u'a'));
  EXPECT_EQ(std::u16string_view(buffer).size(), 199u);
  // A pair that would straddle the cut is left out whole.
  std::u16string pairs = std::u16string(198, u'a') + u"😀😀";
  CopyCut(buffer, 200, pairs);
  EXPECT_EQ(std::u16string_view(buffer), std::u16string(198, u'a'));
  pairs = std::u16string(197, u'a') + u"😀😀";
  CopyCut(buffer, 200, pairs);
  EXPECT_EQ(std::u16string_view(buffer), std::u16string(197, u'a') + u"😀");
  CopyCut(buffer, 200, u"short");
  EXPECT_EQ(std::u16string_view(buffer), u"short");
}

}  // namespace
