// Direct frame-buffer access (the GAPI role). The video thread and the main thread write the
// screen surface straight through the address BeginDraw returns, bracketed by BeginDraw and
// EndDraw; EndDraw hands the surface to presentation.
#pragma once

#include <cstdint>

#include "platform/window.h"

// Main thread. Opens the display for `window` (flags are ignored): 1 on success, 0 otherwise.
int32_t OpenDisplay(WindowHandle window, uint32_t flags);
int32_t CloseDisplay();
// Key takeover: while taken, the hardware keys (media, volume, F-keys) reach the focus window
// as key messages instead of being left to the desktop. Main thread.
int32_t OpenInput();
int32_t CloseInput();
bool InputTakenOver();

// Any thread. The address of screen pixel (0, 0); rows are ScreenWidth() pixels apart.
// Null while the display is not open.
uint16_t* BeginDraw();
// Ends the bracket of BeginDraw and presents the surface.
int32_t EndDraw();
