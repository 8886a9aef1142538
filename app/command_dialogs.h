// The commands that open a box or a dialog: Media Info, Jump To, the options and equalizer
// dialogs, and About. Main window's thread; each returns when its box has closed.
#pragma once

#include "platform/window.h"

void ShowMediaInfo(WindowHandle window);
void ShowJumpTo(WindowHandle window);
// Both pause a running video first, which stays paused after the dialog.
void ShowOptions(WindowHandle window);
void ShowEqualizer(WindowHandle window);
void ShowAbout(WindowHandle window);
// The equalizer's setting reaches a decoder that is active now.
void ApplyEqualizerToDecoder();
