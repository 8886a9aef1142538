// The playlist parsers and loaders. The first byte picks the format (and shuffle); the rest is
// the file. Properties: no entry holds a line end; an M3U entry never starts with '#'; every
// path and title fits its 200-character field, uncut pairs included; a row text is the title or
// the end of the path; the list's indices stay inside the list. The seeds in
// seeds/playlist/ are written by hand: the format byte, then a playlist as some program writes it.
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/text.h"
#include "playlist/playlist.h"
#include "playlist/playlist_loading.h"
#include "playlist/playlist_text.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool HoldsLineEnd(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

void CheckEntry(const ParsedEntry& entry, PlaylistFormat format) {
  FUZZ_CHECK(!HoldsLineEnd(entry.path) && !HoldsLineEnd(entry.title));
  if (format == PlaylistFormat::M3u) FUZZ_CHECK(!entry.path.starts_with(u'#'));
  const std::u16string row = PlaylistRowText(entry.path, entry.title);
  FUZZ_CHECK(entry.title.empty() ? entry.path.ends_with(row) : row == entry.title);
  const std::u16string path = ResolveEntryPath(entry.path, u"/lists");
  if (path.size() < kPlaylistTextChars) return;
  // A cut keeps 199 characters, or 198 when the 199th is the first half of a pair.
  char16_t field[kPlaylistTextChars];
  CopyCut(field, kPlaylistTextChars, path);
  const char16_t last = path[kPlaylistTextChars - 2];
  const size_t kept =
      last >= 0xD800 && last <= 0xDBFF ? kPlaylistTextChars - 2 : kPlaylistTextChars - 1;
  FUZZ_CHECK(field[kept] == 0 && std::u16string_view(field, kept) == path.substr(0, kept));
}

void CheckList() {
  FUZZ_CHECK(FileOrder.size() == PlayOrder.size());
  FUZZ_CHECK(LastIndex == (FileOrder.empty() ? 0 : static_cast<int32_t>(FileOrder.size()) - 1));
  FUZZ_CHECK(CurrentIndex >= 0 && CurrentIndex <= LastIndex);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto format = static_cast<PlaylistFormat>(data[0] % 3);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  for (const ParsedEntry& entry : ParsePlaylistText(DecodePlaylistBytes(bytes, format), format))
    CheckEntry(entry, format);

  // The same bytes through the loader, as a file, with shuffle on or off and a start entry.
  playerSettings.shuffle = data[0] & 4 ? 1 : 0;
  DriveTickCount(data[0]);
  const std::u16string path = Utf8ToWide(MemoryFileWith(data + 1, size - 1));
  StartEntry = data[0] >> 4;
  LoadPlaylistFile(path, format, 0);
  CheckList();
  SelectStartEntry();
  CheckList();
  for (int i = 0; i < 3; ++i) StepPlaylist(i == 1 ? -1 : +1);
  CheckList();
  return 0;
}
