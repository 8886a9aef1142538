// Menus of the command bar while they are open: the popups with their items, check marks,
// greyed items and submenus, tracked in a modal loop by pen and keys. Main thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/menu.h"
#include "platform/window.h"

constexpr int32_t kMenuItemHeight = 20;
constexpr int32_t kPopupBorder = 2;

struct MenuBarTracking {
  CommandBarHandle bar;
  WindowHandle owner;
  size_t title;  // the menu bar's item being shown
  bool fromKeyboard;
};

// Shows the menu and tracks it; returns the chosen command or 0. The title may change while
// tracking (a tap on another title, Left and Right); `tracking->title` then holds the last.
uint32_t TrackMenu(MenuBarTracking* tracking);
// The screen rectangle an open popup of `menu` takes with its top-left corner at (x, y),
// moved to stay on the screen; a menu taller than the screen scrolls inside it.
Rect PopupRect(MenuHandle menu, int32_t x, int32_t y);
// Item `index` of a popup that takes `popup` and does not scroll.
Rect PopupItemRect(const Rect& popup, size_t index);
// Where the submenu of item `item` of the popup at `parent` (not scrolling) opens.
Rect SubmenuRect(MenuHandle submenu, const Rect& parent, size_t item);
