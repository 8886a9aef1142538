// The playlist view and the media-information view: their rows, a tap in the playlist view, and
// the procedure both views get so that the player's keys and focus handling work through them.
#include <algorithm>
#include <vector>

#include "core/commands.h"
#include "platform/controls/list_view.h"
#include "platform/text.h"
#include "playlist/playlist.h"
#include "playlist/playlist_list.h"

namespace {

struct InstalledProc {
  WindowHandle view;
  WindowProc previous;
};
std::vector<InstalledProc> installedProcs;  // main thread

WindowProc PreviousProcOf(WindowHandle view) {
  for (const InstalledProc& installed : installedProcs)
    if (installed.view == view) return installed.previous;
  return DefWindowProc;
}

void ForgetProcOf(WindowHandle view) {
  std::erase_if(installedProcs, [view](const InstalledProc& p) { return p.view == view; });
}

void ShowCurrentRow() {
  ListViewSetRowState(playlistView, CurrentIndex, true, true);
  ListViewEnsureVisible(playlistView, CurrentIndex);
}

}  // namespace

void AddPlaylistRow(const char16_t* path, const char16_t* title) {
  if (playlistView)
    ListViewAppendRow(playlistView, PlaylistRowText(WideView(path), WideView(title)));
}

void AddMediaInfoRow(const char16_t* text) {
  if (mediaInfoView) ListViewAppendRow(mediaInfoView, WideView(text));
}

void RebuildPlaylistView() {
  if (!playlistView) return;
  ListViewDeleteAllRows(playlistView);
  const int32_t rows = std::min<int32_t>(LastIndex + 1, static_cast<int32_t>(PlayOrder.size()));
  if (rows > 0) {
    for (int32_t i = 0; i < rows; ++i) AddPlaylistRow(PlayOrder[i].Path, PlayOrder[i].Title);
  } else if (currentPath[0] != 0) {
    AddPlaylistRow(currentPath, u"");  // a single opened file shows its name
  }
  ShowCurrentRow();
}

void OnPlaylistViewClick(int32_t row) {
  if (row < 0) {
    if (playlistView) ShowCurrentRow();
    SendMessage(mainWindow, WM_COMMAND, kCommandPlayPause, 0);
    return;
  }
  // The one row of a single opened file names currentPath itself.
  if (row < static_cast<int32_t>(PlayOrder.size()) && row <= LastIndex) {
    CurrentIndex = row;
    MakeCurrent(PlayOrder[row].Path);
  }
  startRequest = 1;
  playlistHooks.restartItem(mainWindow);
}

intptr_t ListViewProc(WindowHandle view, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_SETFOCUS:
      SendMessage(mainWindow, kMessageListFocusGained, wParam, lParam);
      return 0;
    case WM_KILLFOCUS:
      // wParam: the window that now holds the focus.
      if (reinterpret_cast<WindowHandle>(wParam) != mainWindow)
        SendMessage(mainWindow, kMessageListFocusLost, wParam, lParam);
      return 0;
    case WM_KEYDOWN:
      SendMessage(mainWindow, message, wParam, lParam);
      return 0;
    case WM_KEYUP:
      return 0;
    default:
      return CallWindowProc(PreviousProcOf(view), view, message, wParam, lParam);
  }
}

void InstallListViewProc(WindowHandle view) {
  if (!view || GetWindowProc(view) == ListViewProc) return;
  ForgetProcOf(view);  // a destroyed view's handle may come back for a new one
  installedProcs.push_back({view, SetWindowProc(view, ListViewProc)});
}

void RestoreListViewProc(WindowHandle view) {
  if (!view) return;
  SetWindowProc(view, PreviousProcOf(view));
  ForgetProcOf(view);
}
