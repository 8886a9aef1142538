// The desktop's screen saver and idle sleep, held off while the backlight is held on.
//
// The player holds its backlight on by raising the time-outs "BatteryTimeout" and "ACTimeout"
// under "ControlPanel\Backlight" (current user) and setting "BackLightChangeEvent". From
// OpenBackend to CloseBackend a watcher thread waits for that event; each time it is set the
// watcher reads both time-outs and, while both are at least kBacklightNeverOff seconds, holds
// the desktop's screen saver off: the backend's own switch (SDL's screen-saver switch in a
// window) and, where a session bus exists, the freedesktop screen-saver inhibit. Every change is
// journaled as "screen-saver" with "held". A process that dies releases both with it.
#pragma once

#include <cstdint>

// 61439 seconds (EFFF hexadecimal): the time-out a player writes to keep the light on.
constexpr uint32_t kBacklightNeverOff = 0xEFFF;

// Main thread: creates the event and starts the watcher; it looks at the values once at start.
void WatchBacklightChanges();
// Main thread: releases a hold and joins the watcher.
void StopWatchingBacklightChanges();
// Any thread: whether the screen saver is held off now.
bool ScreenSaverHeld();
