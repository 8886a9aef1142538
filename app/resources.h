// The player's resources: window class and title, and the command bar's menu.
#pragma once

#include "app/startup_library/startup_library.h"

extern const AppInstance playerInstance;
// The eight action names handed to the window creation.
extern const char16_t* const kActionNames[8];
