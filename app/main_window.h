// The main window procedure: one handler per message.
#pragma once

#include "platform/window.h"

intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
