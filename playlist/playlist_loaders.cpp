// The three playlist loaders: start suffix, the file's text, the entries, the first entry.
#include "platform/files.h"
#include "platform/text.h"
#include "playlist/playlist.h"
#include "playlist/playlist_list.h"
#include "playlist/playlist_loading.h"

namespace {

struct FormatRule {
  std::u16string_view extension;
  PlaylistFormat format;
};
// Checked in this order, as the command line checks them.
constexpr FormatRule kFormats[] = {
    {u".pdl", PlaylistFormat::Pdl},
    {u".pls", PlaylistFormat::Pls},
    {u".m3u", PlaylistFormat::M3u},
    {u".py", PlaylistFormat::M3u},
};

// The start suffix: cut off, StartEntry set from it.
std::u16string TakeStartSuffix(std::u16string_view path, PlaylistFormat format) {
  for (const FormatRule& rule : kFormats) {
    if (rule.format != format) continue;
    int32_t index = -1;
    const std::u16string_view cut = CutStartSuffix(path, rule.extension, &index);
    if (index >= 0) {
      StartEntry = index + 1;
      return std::u16string(cut);
    }
  }
  return std::u16string(path);
}

}  // namespace

bool LoadPlaylistFile(std::u16string_view path, PlaylistFormat format, int addRows) {
  WideCopy(PlaylistPath, kMediaPathChars, path);
  std::string bytes;
  const bool read = ReadWholeFile(WideToUtf8(path), &bytes);
  StartNewList();
  ClearPlaylistRowsIfShown();
  const std::u16string text = DecodePlaylistBytes(bytes, format);
  AppendEntries(ParsePlaylistText(text, format), FolderOf(path), addRows);
  FinishNewList();
  playlistHooks.layoutListViews();
  return read;
}

bool LoadPlaylistWithSuffix(std::u16string_view path, PlaylistFormat format, int addRows) {
  StartEntry = 0;
  return LoadPlaylistFile(TakeStartSuffix(path, format), format, addRows);
}

bool PlaylistFormatOf(std::u16string_view path, PlaylistFormat* format) {
  for (const FormatRule& rule : kFormats) {
    if (path.find(rule.extension) == std::u16string_view::npos) continue;
    *format = rule.format;
    return true;
  }
  return false;
}

void LoadPdlPlaylist(const char16_t* path, int addRows) {
  LoadPlaylistWithSuffix(WideView(path), PlaylistFormat::Pdl, addRows);
}

void LoadM3uPlaylist(const char16_t* path, int addRows) {
  LoadPlaylistWithSuffix(WideView(path), PlaylistFormat::M3u, addRows);
}

void LoadPlsPlaylist(const char16_t* path, int addRows) {
  LoadPlaylistWithSuffix(WideView(path), PlaylistFormat::Pls, addRows);
}

void ParseEntryList(const char16_t* text, int32_t length, int addRows) {
  const std::u16string_view view(text, length > 0 ? length : 0);
  AppendEntries(ParsePlaylistText(view, PlaylistFormat::Pdl), {}, addRows);
}
