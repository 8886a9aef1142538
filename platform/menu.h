// Menus: a tree of items with command numbers, check marks and greyed states, and the command
// bar that holds the main window's menu. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Menu;
using MenuHandle = Menu*;

struct MenuItem {
  std::u16string text;
  uint32_t command = 0;  // 0 for a submenu's title or a separator
  bool checked = false;
  bool greyed = false;
  std::unique_ptr<Menu> submenu;
};

struct Menu {
  std::vector<MenuItem> items;
};

MenuHandle CreateMenu();
void DestroyMenu(MenuHandle menu);
void AppendMenuItem(MenuHandle menu, uint32_t command, std::u16string_view text,
                    bool greyed = false);
// The submenu becomes part of `menu` and is destroyed with it.
MenuHandle AppendSubmenu(MenuHandle menu, std::u16string_view title);
// Inserts before the item with command `before` (searched in the whole tree); false if none.
bool InsertMenuItem(MenuHandle menu, uint32_t before, uint32_t command, std::u16string_view text);
bool DeleteMenuItem(MenuHandle menu, uint32_t command);
// The item with this command number anywhere below `menu`, or null.
MenuItem* FindMenuItem(MenuHandle menu, uint32_t command);
bool CheckMenuItem(MenuHandle menu, uint32_t command, bool checked);
bool EnableMenuItem(MenuHandle menu, uint32_t command, bool enabled);
// The submenu at `position` among the menu's items, or null.
MenuHandle GetSubmenu(MenuHandle menu, size_t position);

// The command bar: the top rows of the main window with its menu bar.
struct CommandBar;
using CommandBarHandle = CommandBar*;

constexpr int32_t kCommandBarHeight = 25;

CommandBarHandle CommandBarCreate(void* ownerWindow, MenuHandle menuBar);
void CommandBarDestroy(CommandBarHandle bar);
// The bar's first menu: the menu bar whose items are File, Settings and View.
MenuHandle CommandBarGetMenu(CommandBarHandle bar);
void* CommandBarOwner(CommandBarHandle bar);
void CommandBarSetOwner(CommandBarHandle bar, void* ownerWindow);
void CommandBarShow(CommandBarHandle bar, bool visible);
bool CommandBarIsVisible(CommandBarHandle bar);
void CommandBarEnable(CommandBarHandle bar, bool enabled);
bool CommandBarIsEnabled(CommandBarHandle bar);
