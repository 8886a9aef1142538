#include "platform/menu.h"

#include <algorithm>
#include <atomic>

// Visibility and enabling are also switched by the video thread (the bars come back at the end
// of fast forward); the menu itself is the main thread's.
struct CommandBar {
  void* owner;
  MenuHandle menu;
  std::atomic<bool> visible{true};
  std::atomic<bool> enabled{true};
};

namespace {

// Calls `visit(menu, index)` for the first item with `command`; returns whether it found one.
template <typename Visit>
bool VisitItem(MenuHandle menu, uint32_t command, Visit visit) {
  if (!menu) return false;
  for (size_t index = 0; index < menu->items.size(); ++index) {
    MenuItem& item = menu->items[index];
    if (item.command == command && command != 0) {
      visit(menu, index);
      return true;
    }
    if (item.submenu && VisitItem(item.submenu.get(), command, visit)) return true;
  }
  return false;
}

}  // namespace

MenuHandle CreateMenu() {
  return new Menu;
}

void DestroyMenu(MenuHandle menu) {
  delete menu;
}

void AppendMenuItem(MenuHandle menu, uint32_t command, std::u16string_view text, bool greyed) {
  menu->items.push_back({.text = std::u16string(text), .command = command, .greyed = greyed});
}

MenuHandle AppendSubmenu(MenuHandle menu, std::u16string_view title) {
  menu->items.push_back({.text = std::u16string(title), .submenu = std::make_unique<Menu>()});
  return menu->items.back().submenu.get();
}

bool InsertMenuItem(MenuHandle menu, uint32_t before, uint32_t command, std::u16string_view text) {
  return VisitItem(menu, before, [&](MenuHandle owner, size_t index) {
    owner->items.insert(owner->items.begin() + static_cast<std::ptrdiff_t>(index),
                        MenuItem{.text = std::u16string(text), .command = command});
  });
}

bool DeleteMenuItem(MenuHandle menu, uint32_t command) {
  return VisitItem(menu, command, [](MenuHandle owner, size_t index) {
    owner->items.erase(owner->items.begin() + static_cast<std::ptrdiff_t>(index));
  });
}

MenuItem* FindMenuItem(MenuHandle menu, uint32_t command) {
  MenuItem* found = nullptr;
  VisitItem(menu, command, [&](MenuHandle owner, size_t index) { found = &owner->items[index]; });
  return found;
}

bool CheckMenuItem(MenuHandle menu, uint32_t command, bool checked) {
  MenuItem* item = FindMenuItem(menu, command);
  if (item) item->checked = checked;
  return item != nullptr;
}

bool EnableMenuItem(MenuHandle menu, uint32_t command, bool enabled) {
  MenuItem* item = FindMenuItem(menu, command);
  if (item) item->greyed = !enabled;
  return item != nullptr;
}

MenuHandle GetSubmenu(MenuHandle menu, size_t position) {
  if (!menu || position >= menu->items.size()) return nullptr;
  return menu->items[position].submenu.get();
}

CommandBarHandle CommandBarCreate(void* ownerWindow, MenuHandle menuBar) {
  return new CommandBar{.owner = ownerWindow, .menu = menuBar};
}

void CommandBarDestroy(CommandBarHandle bar) {
  if (!bar) return;
  DestroyMenu(bar->menu);
  delete bar;
}

MenuHandle CommandBarGetMenu(CommandBarHandle bar) {
  return bar ? bar->menu : nullptr;
}
void* CommandBarOwner(CommandBarHandle bar) {
  return bar ? bar->owner : nullptr;
}
void CommandBarSetOwner(CommandBarHandle bar, void* ownerWindow) {
  if (bar) bar->owner = ownerWindow;
}
void CommandBarShow(CommandBarHandle bar, bool visible) {
  if (bar) bar->visible = visible;
}
bool CommandBarIsVisible(CommandBarHandle bar) {
  return bar && bar->visible;
}
void CommandBarEnable(CommandBarHandle bar, bool enabled) {
  if (bar) bar->enabled = enabled;
}
bool CommandBarIsEnabled(CommandBarHandle bar) {
  return bar && bar->enabled;
}
