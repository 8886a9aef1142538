// Inside the platform layer: input from a backend or a script reaches the player's windows.
// Any thread; the messages are posted to the windows' thread in the order of the calls.
#pragma once

#include <cstdint>

#include "platform/window.h"

constexpr uintptr_t MK_LBUTTON = 1;

// Main thread: the window that covers the screen and receives the pen (null: none).
void SetInputWindow(WindowHandle mainWindow);
WindowHandle InputWindow();
// Main thread: while a modal box is up, it receives the pen (in its own client coordinates)
// and the keys instead (null: back to normal).
void SetModalInputWindow(WindowHandle box);
// WM_LBUTTONDOWN / WM_MOUSEMOVE / WM_LBUTTONUP with lParam = x | y << 16 (screen coordinates,
// which are the main window's client coordinates).
void PostPen(uint32_t message, int32_t x, int32_t y);
// WM_KEYDOWN or WM_KEYUP with the virtual-key code to the focus window (else the main window).
void PostKey(uint32_t virtualKey, bool down);
// WM_CHAR with one UTF-16 unit of typed text, to the same window as the keys.
void PostChar(char16_t character);
// The main window's close button: WM_CLOSE.
void PostClose();
