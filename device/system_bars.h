// The system task bar and the player's command bar, the task bar's auto-hide setting, and
// repainting the main window.
#pragma once

#include <cstdint>

// Writes "Default" under "Software\Microsoft\Shell\AutoHide" (1 on, 0 off) and tells the task
// bar, if the desktop has one, that the setting changed.
void SetTaskBarAutoHide(bool on);
// Shows (true) or hides the task bar and the command bar together; a hidden command bar is also
// disabled, so its menu cannot open while a video owns the screen. Main thread, or the video
// thread at the end of fast forward (its repaint is then queued for the main thread).
void ShowSystemBars(bool show);
// Whole: the main window is erased and painted at once. Otherwise it is sent the player's own
// paint message (lParam 1), which redraws the picture and the controls only. From a thread other
// than the window's, both are queued for the window's thread instead: a send could wait on a
// main thread that waits for that very thread.
void RepaintWindow(bool whole);
