// The start-up library's dialogs: options (ordinal 4), equalizer (ordinal 5) and Jump To.
// Modal, drawn on the screen, usable by pen and keys, answerable by a script (dialog_box.h).
// Main thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/startup_library/startup_library.h"
#include "core/player_settings.h"
#include "platform/controls/dialog_box.h"
#include "platform/window.h"
#include "skin/skin.h"  // FormatTime: the player's one time text

// Every setting a user may want to change apart from those the menus toggle: the flags as
// check boxes, the numbers with steppers, each key binding set by pressing the key. OK stores them
// in `settings`; Cancel leaves it as it was. Script answers name the fields: "autoPlay=0
// lateWindow=20 keyStop=0xB2".
void ShowOptionsDialog(int32_t zero, const AppInstance* instance, WindowHandle mainWindow,
                       PlayerSettings* settings);
// `equalizerOn` and the 11 `equalizerBands` (dB, -12..+12; byte 0 the preamplifier) as a check
// box and sliders. Script answers: "on=1 preamp=-3 band1=6 ... band10=-2".
void ShowEqualizerDialog(int32_t zero, const AppInstance* instance, WindowHandle mainWindow,
                         PlayerSettings* settings);
// A time entry showing `seconds`; returns the time entered in seconds, or -1 on cancel.
// Script answers: a time ("1:02:05") or "cancel".
int32_t JumpTo(WindowHandle mainWindow, int32_t seconds);

// The boxes the three dialogs show (tests and screenshots lay them out too).
DialogBox OptionsBox(const PlayerSettings& settings);
DialogBox EqualizerBox(const PlayerSettings& settings);
// OK stores the time entered, in seconds, in *chosen.
DialogBox JumpToBox(int32_t seconds, int32_t* chosen);

// "H:MM:SS", "M:SS" or "S" back to seconds; false for anything else (minutes and seconds
// after a higher unit must be below 60).
bool ParseTime(std::u16string_view text, int32_t* seconds);
