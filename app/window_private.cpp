// The list views' notifications and the player's private messages.
#include "app/window_handlers.h"
#include "app/window_state.h"
#include "core/player_state.h"
#include "platform/controls/list_view.h"
#include "platform/drawing.h"
#include "playback/open_item.h"
#include "playlist/playlist.h"

namespace {
constexpr intptr_t kWaitCursorOn = 1;
}

// Only taps in the playlist view count; those in the media-information view are ignored.
intptr_t OnNotify(WindowHandle, uintptr_t, intptr_t lParam) {
  const auto* click = reinterpret_cast<const ListViewClick*>(lParam);
  if (click && click->header.code == NM_CLICK && click->header.from == playlistView)
    OnPlaylistViewClick(click->item);
  return 0;
}

// Around the reader's opening, which may take a while.
intptr_t OnWaitCursor(WindowHandle, uintptr_t, intptr_t lParam) {
  if (lParam == kWaitCursorOn) {
    cursorBeforeWait = SetCursor(LoadCursor(IDC_WAIT));
  } else {
    SetCursor(cursorBeforeWait);
  }
  return 0;
}

// A playback has ended: the next entry, the same item at its start, or nothing (-1).
intptr_t OnPlaybackEnded(WindowHandle window, uintptr_t, intptr_t lParam) {
  OpenItem(window, static_cast<int32_t>(lParam));
  return 0;
}

intptr_t OnRebuildPlaylist(WindowHandle, uintptr_t, intptr_t) {
  RebuildPlaylistView();
  return 0;
}
