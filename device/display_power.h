// Switching the display off and on through the display driver.
#pragma once

// Main thread. Toggles the display's power (off blanks the screen until switched on again);
// with onlySwitchOn set, a display that is on stays on.
void ToggleDisplayPower(bool onlySwitchOn);
// Main thread: the player switched the display off.
bool DisplaySwitchedOff();
