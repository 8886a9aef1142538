// Controls (the command bar, list views) are child windows of the main window. The pen is
// posted to the main window and drawing is not clipped between windows, so the first control
// placed on a parent hooks the parent's procedure, as a window system would route input:
// - a pen press over a shown control goes to that control in its client coordinates, and the
//   moves and the release that follow go to the same control;
// - key presses are offered to the controls that asked for them (the command bar's F10) before
//   the parent's own procedure sees them;
// - after the parent has painted, its shown controls paint again on top.
// Main thread.
#pragma once

#include <cstdint>

#include "platform/window.h"

// Sent to a control that takes its parent's keys: wParam the virtual key; nonzero = consumed.
constexpr uint32_t kParentKeyMessage = WM_USER + 0x3F0;

using ControlShown = bool (*)(WindowHandle control);

// `shown` says whether the control is on screen now (default: IsWindowVisible).
void HostControl(WindowHandle control, bool takesParentKeys, ControlShown shown = nullptr);
// Called by the control's WM_DESTROY.
void UnhostControl(WindowHandle control);
