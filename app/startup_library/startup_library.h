// The start-up library: creates the main window and its command bar, loads and stores the
// settings record, and shows the options, equalizer and Jump To dialogs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/player_settings.h"
#include "platform/menu.h"
#include "platform/window.h"

// One row of the player's menu resource. A row with command 0 opens a submenu whose rows
// follow at level + 1; level 0 rows are the menu bar's titles.
struct MenuResource {
  int level;
  const char16_t* text;
  uint32_t command;
  bool greyed;
};

// The player's resources, handed over as its instance.
struct AppInstance {
  const char16_t* windowClass;
  const char16_t* windowTitle;
  const MenuResource* menu;
  size_t menuRows;
};

// Fills `settings` from settings.bin in the player's home, or with the first-start defaults
// when the file is missing or not exactly one record long.
void LoadPlayerSettings(PlayerSettings* settings);
// Stores the record byte for byte, atomically; journals "settings-saved". False on failure
// (the previous file is then intact).
bool StorePlayerSettings(const PlayerSettings* settings);
void DefaultPlayerSettings(PlayerSettings* settings);

// Creates the command bar (into *commandBar, before the window exists) and the main window
// covering the screen; WM_CREATE reaches `procedure` during the call. Null on failure.
WindowHandle CreateMainWindow(int32_t zero, const AppInstance* instance, int32_t showMode,
                              PlayerSettings* settings, CommandBarHandle* commandBar,
                              WindowProc procedure, const char16_t* const* actionNames);
// Builds a menu bar from the resource rows, with the check marks of `settings`.
MenuHandle BuildMenuBar(const AppInstance* instance, const PlayerSettings* settings);
