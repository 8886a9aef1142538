#include "playlist/playlist_list.h"

#include "platform/controls/list_view.h"
#include "platform/text.h"
#include "playlist/playlist.h"

std::vector<PlaylistEntry> FileOrder;
std::vector<PlaylistEntry> PlayOrder;
std::atomic<int32_t> LastIndex, CurrentIndex, StartEntry;
std::atomic<uint8_t> ReorderRequest;
char16_t PlaylistPath[kMediaPathChars];
PlaylistHooks playlistHooks;

namespace {

// Both arrays start with room for this many entries and then grow geometrically: growing by a
// fixed step would copy a long list over and over while it loads.
constexpr size_t kInitialRoom = 100;

PlaylistEntry MakeEntry(std::u16string_view path, std::u16string_view title) {
  PlaylistEntry entry{};
  CopyCut(entry.Path, kPlaylistTextChars, path);
  CopyCut(entry.Title, kPlaylistTextChars, title);
  return entry;
}

}  // namespace

void ReleasePlaylist() {
  FileOrder = {};
  PlayOrder = {};
  LastIndex = 0;
  CurrentIndex = 0;
}

void StartNewList() {
  ReleasePlaylist();
  FileOrder.reserve(kInitialRoom);
  PlayOrder.reserve(kInitialRoom);
}

void AppendEntry(std::u16string_view path, std::u16string_view title, int addRows) {
  PlaylistEntry entry = MakeEntry(path, title);
  entry.FileIndex = static_cast<int32_t>(FileOrder.size());
  FileOrder.push_back(entry);
  PlayOrder.push_back(entry);
  if (addRows) AddPlaylistRow(entry.Path, entry.Title);
}

void AppendEntries(const std::vector<ParsedEntry>& entries, std::u16string_view folder,
                   int addRows) {
  for (const ParsedEntry& entry : entries)
    AppendEntry(ResolveEntryPath(entry.path, folder), entry.title, addRows);
}

void FinishNewList() {
  if (FileOrder.empty()) {
    StartEntry = 0;
    return;
  }
  // A start suffix beyond the list asks for nothing that exists.
  if (StartEntry > static_cast<int32_t>(FileOrder.size())) StartEntry = 0;
  LastIndex = static_cast<int32_t>(FileOrder.size()) - 1;
  CurrentIndex = LastIndex.load();
  StepPlaylist(+1);
  startRequest = playerSettings.autoPlay ? 1 : 0;
}

void MakeCurrent(std::u16string_view path) {
  WideCopy(currentPath, kMediaPathChars, path);
  isUrl = IsHttpPath(path) ? 1 : 0;
}

bool IsHttpPath(std::u16string_view path) {
  return path.starts_with(u"http://");
}

void ClearPlaylistRowsIfShown() {
  if (playerSettings.showPlaylist && playlistView) ListViewDeleteAllRows(playlistView);
}

void SelectStartEntry() {
  if (StartEntry != 0 && !PlayOrder.empty()) {
    if (playerSettings.shuffle)
      ReorderPlaylist();
    else
      CurrentIndex = StartEntry - 1;
    MakeCurrent(PlayOrder[CurrentIndex].Path);
  } else if (LastIndex != 0) {
    CurrentIndex = LastIndex.load();
    StepPlaylist(+1);
  }
  StartEntry = 0;
}
