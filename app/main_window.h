// The main window procedure.
#pragma once

#include "platform/window.h"

// Handles the messages of the table in main_window.cpp; every other message goes to the
// default processing. Main window's thread.
intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
