// The command bar on screen: rows 0-24 of its owner with the titles of the menu bar (File,
// Settings, View), and the menus they open. A tap on a title opens that menu; F10 opens the
// first one, the arrows move, Enter chooses and Escape closes. Before a menu (or a submenu)
// opens, its owner is sent WM_INITMENUPOPUP (wParam the menu, lParam its position); a choice
// sends WM_COMMAND with the command number to the owner once the menu has closed (sent, not
// posted, so that it is handled before any input that followed the choice). A hidden
// bar leaves its rows to the owner; a disabled bar draws greyed and opens nothing. Main thread.
#pragma once

#include <cstddef>

#include "platform/menu.h"
#include "platform/window.h"

// Gives the bar its window on its owner (CommandBarOwner must be set). From then on the bar
// draws itself whenever the owner paints. A bar that has its view keeps it (the same window is
// returned). Null when the bar has no owner.
WindowHandle CommandBarCreateView(CommandBarHandle bar);
// Draws the bar now: after its menu, its enabled state or its visibility changed.
void CommandBarRedraw(CommandBarHandle bar);
// Opens menu `index` of the bar as a tap on its title does, and tracks it until it closes.
// Returns the command chosen (already handled by the owner), 0 when none was.
uint32_t CommandBarOpenMenu(CommandBarHandle bar, size_t index, bool fromKeyboard);
// The screen rectangle of the title of menu `index` (empty beyond the last title).
Rect CommandBarTitleRect(CommandBarHandle bar, size_t index);

// Draws the titles with title `open` shown pressed (-1: none), as the menu tracking does.
void CommandBarDrawTitles(CommandBarHandle bar, int32_t open);
