// The task bar's auto-hide setting and repainting the main window.
#pragma once

#include <cstdint>

// Writes "Default" under "Software\Microsoft\Shell\AutoHide" (1 on, 0 off) and tells the task
// bar, if the desktop has one, that the setting changed.
void SetTaskBarAutoHide(bool on);
// Whole: the main window is erased and painted at once. Otherwise it is sent the player's own
// paint message (lParam 1), which redraws the picture and the controls only.
void RepaintWindow(bool whole);
