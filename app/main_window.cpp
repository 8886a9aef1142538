// The main window procedure as an index of what the window does: each message it handles and
// the one function that handles it.
#include "app/main_window.h"

#include "app/window_handlers.h"
#include "core/commands.h"

namespace {

using Handler = intptr_t (*)(WindowHandle window, uintptr_t wParam, intptr_t lParam);

struct MessageHandler {
  uint32_t message;
  Handler handle;
};

constexpr MessageHandler kHandlers[] = {
    {WM_CREATE, OnCreate},
    {WM_DESTROY, OnDestroy},
    {WM_ACTIVATE, OnActivate},
    {WM_SETFOCUS, OnFocusGained},
    {WM_KILLFOCUS, OnFocusLost},
    {WM_PAINT, OnPaint},
    {WM_NOTIFY, OnNotify},
    {WM_HELP, OnHelp},
    {WM_KEYDOWN, OnKeyDown},
    {WM_COMMAND, OnCommand},
    {WM_TIMER, OnTimer},
    {WM_INITMENUPOPUP, OnMenuOpening},
    {WM_MOUSEMOVE, OnPointerMoved},
    {WM_LBUTTONDOWN, OnPointerPressed},
    {WM_LBUTTONUP, OnPointerReleased},
    {kMessageWaitCursor, OnWaitCursor},
    {kMessagePlaybackEnded, OnPlaybackEnded},
    {kMessageListFocusGained, OnFocusGained},
    {kMessageListFocusLost, OnFocusLost},
    {kMessageRebuildPlaylist, OnRebuildPlaylist},
};

}  // namespace

intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  for (const MessageHandler& handler : kHandlers)
    if (handler.message == message) return handler.handle(window, wParam, lParam);
  return DefWindowProc(window, message, wParam, lParam);
}
