// The main window's message handlers, one per message; main_window.cpp maps the numbers to
// them. Each runs on the main window's thread and answers 0 unless it says otherwise.
#pragma once

#include <cstdint>

#include "platform/window.h"

// Creation and destruction (window_lifecycle.cpp).
intptr_t OnCreate(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnDestroy(WindowHandle window, uintptr_t wParam, intptr_t lParam);
// Activation, focus and menus (window_focus.cpp).
intptr_t OnActivate(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnFocusGained(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnFocusLost(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnMenuOpening(WindowHandle window, uintptr_t wParam, intptr_t lParam);
// Paint (window_paint.cpp).
intptr_t OnPaint(WindowHandle window, uintptr_t wParam, intptr_t lParam);
// Keys and the pointer (window_input.cpp).
intptr_t OnKeyDown(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnPointerMoved(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnPointerPressed(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnPointerReleased(WindowHandle window, uintptr_t wParam, intptr_t lParam);
// Timers (window_timers.cpp).
intptr_t OnTimer(WindowHandle window, uintptr_t wParam, intptr_t lParam);
// Commands and help (command_dispatch.cpp).
intptr_t OnCommand(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnHelp(WindowHandle window, uintptr_t wParam, intptr_t lParam);
// The list views and the player's private messages (window_private.cpp).
intptr_t OnNotify(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnWaitCursor(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnPlaybackEnded(WindowHandle window, uintptr_t wParam, intptr_t lParam);
intptr_t OnRebuildPlaylist(WindowHandle window, uintptr_t wParam, intptr_t lParam);
