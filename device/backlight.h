// Holding the backlight on while the player plays, through the backlight time-outs.
#pragma once

// The time-out written while the backlight is held: 61439 seconds.
constexpr unsigned kHeldBacklightTimeout = 0xEFFF;

// Main thread. Hold (true): the user's "BatteryTimeout" and "ACTimeout" under
// "ControlPanel\Backlight" (current user) are kept and both raised to 61439; restore (false):
// the kept values are written back. Each change sets "BackLightChangeEvent". Nothing happens
// while the player has switched the display off, or when the key does not exist.
//
// The values kept are the first ones read: a hold while already held keeps them, so a second
// hold never takes the raised values for the user's. They are also written under
// "Software\Morvelant\Backlight" until restored, so a player killed during a hold gives them
// back at its next start (RecoverBacklightTimeouts).
void HoldBacklight(bool hold);
// Main thread, at start: puts back time-outs that a killed player left raised.
void RecoverBacklightTimeouts();
