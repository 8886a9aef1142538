// The player's process: start-up, the message loop and shutdown.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/main_window.h"

// Runs the player on the already-opened backend and returns the quit message's code (0 when
// the main window could not be created). The window runs `procedure`: the player's own, or a
// test's that records what the window receives before handing it on.
int32_t PlayerMain(std::u16string_view commandLine, int32_t showMode,
                   WindowProc procedure = MainWindowProc);
