// The open dialogs: media files, a URL, the broadcast source, a skin or a playlist, through the
// file chooser.
#include <string>

#include "platform/controls/file_chooser.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "playlist/playlist.h"
#include "playlist/playlist_list.h"
#include "playlist/playlist_loading.h"

namespace {

constexpr std::u16string_view kDefaultMediaFilter = u"*.divx,*.avi";
constexpr std::u16string_view kSkinFilter = u"*.pds";
constexpr std::u16string_view kPlaylistFilter = u"*.pdl,*.pls,*.m3u,*.py";
constexpr std::u16string_view kFormatTable = u"software\\Morvelant\\plugins\\format";
constexpr std::u16string_view kSupportedExtensions = u"SupportedExtensions";
constexpr std::u16string_view kBroadcastSource = u"Broadcast";
constexpr std::u16string_view kSkinExtension = u".pds";
constexpr std::u16string_view kSkinFolder = u"/Skins/";
constexpr int32_t kSupportedExtensionsChars = 200;  // a value of at most 400 bytes
constexpr int32_t kChooserResultChars = 200;
constexpr size_t kSelectionMaxChars = 100000;

struct PlaylistKind {
  std::u16string_view extension;
  PlaylistFormat format;
};
constexpr PlaylistKind kPlaylistKinds[] = {
    {u".pdl", PlaylistFormat::Pdl},
    {u".pls", PlaylistFormat::Pls},
    {u".m3u", PlaylistFormat::M3u},
    {u".py", PlaylistFormat::M3u},
};

void OpenBroadcast(int32_t urlMode) {
  ReleasePlaylist();
  PlaylistPath[0] = 0;
  MakeCurrent(kBroadcastSource);
  isUrl = urlMode ? 1 : 0;
  startRequest = 1;
}

// A skin chosen in the dialog: the screen is rebuilt around it.
void UseSkin(char16_t* path, WindowHandle window) {
  playlistHooks.applySkin(path, window);
  playlistHooks.computeGeometry();
  playlistHooks.repaintWindow();
  playlistHooks.layoutListViews();
}

// Several files of the media dialog: a list of them in the order they were chosen.
void OpenSelection(const char16_t* selection) {
  size_t length = 0;
  while (length < kSelectionMaxChars && selection[length] != 0) ++length;
  StartNewList();
  ClearPlaylistRowsIfShown();
  ParseEntryList(selection, static_cast<int32_t>(length), 1);
  FinishNewList();
}

// One chosen path: a playlist by its extension, else a media file or URL without a list.
void OpenChosenPath(std::u16string_view path) {
  for (const PlaylistKind& playlist : kPlaylistKinds) {
    if (!HasExtension(path, playlist.extension)) continue;
    StartEntry = 0;
    LoadPlaylistFile(path, playlist.format, 1);
    return;
  }
  MakeCurrent(path);
}

}  // namespace

std::u16string MediaDialogFilter() {
  std::u16string filter;
  if (!RegistryGetString(RegistryRoot::LocalMachine, kFormatTable, kSupportedExtensions, &filter) ||
      filter.empty())
    return std::u16string(kDefaultMediaFilter);
  if (filter.size() >= kSupportedExtensionsChars) filter.resize(kSupportedExtensionsChars - 1);
  return filter;
}

void OpenFromDialog(WindowHandle window, int32_t urlMode, int32_t broadcast, int32_t kind) {
  stopRequested = 0;
  if (broadcast) {
    OpenBroadcast(urlMode);
    playlistHooks.restartItem(window);
    return;
  }
  std::u16string filter(kind == kDialogSkin       ? kSkinFilter
                        : kind == kDialogPlaylist ? kPlaylistFilter
                                                  : MediaDialogFilter());
  std::u16string folder;
  if (kind == kDialogSkin) folder = Utf8ToWide(ExecutableFolder()) + std::u16string(kSkinFolder);
  char16_t chosen[kChooserResultChars] = {};
  const char16_t* selection = nullptr;
  const int32_t count =
      ChooseFile(window, filter.c_str(), folder.empty() ? nullptr : folder.c_str(), chosen,
                 kChooserResultChars, &selection, playerSettings.dialogOption, urlMode);
  if (count == 0) return;
  PlaylistPath[0] = 0;
  if (count == 1 && HasExtension(WideView(chosen), kSkinExtension)) {
    UseSkin(chosen, window);
    return;
  }
  ReleasePlaylist();
  isUrl = urlMode ? 1 : 0;
  startRequest = playerSettings.autoPlay;
  if (count > 1 && selection)
    OpenSelection(selection);
  else
    OpenChosenPath(WideView(chosen));
  isUrl = IsHttpPath(WideView(currentPath)) ? 1 : 0;
  playlistHooks.restartItem(window);
}
