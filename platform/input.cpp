#include "platform/input.h"

#include <algorithm>
#include <atomic>

namespace {

// Key-message lParam: repeat count 1; a release also has the previous-state and transition bits.
constexpr intptr_t kKeyDownBits = 1;
constexpr intptr_t kKeyUpBits = 0xC0000001;
constexpr int32_t kCoordinateMax = 0xFFFF;

std::atomic<WindowHandle> inputWindow{nullptr};  // main thread writes; input threads read
std::atomic<WindowHandle> modalWindow{nullptr};  // main thread writes; input threads read

}  // namespace

void SetInputWindow(WindowHandle mainWindow) {
  inputWindow = mainWindow;
}

WindowHandle InputWindow() {
  return inputWindow.load();
}

void SetModalInputWindow(WindowHandle box) {
  modalWindow = box;
}

void PostPen(uint32_t message, int32_t x, int32_t y) {
  WindowHandle target = inputWindow.load();
  if (WindowHandle box = modalWindow.load()) {
    const Rect bounds = GetWindowRect(box);
    x -= bounds.left;
    y -= bounds.top;
    target = box;
  }
  const intptr_t lParam = std::clamp(x, 0, kCoordinateMax) |
                          (static_cast<intptr_t>(std::clamp(y, 0, kCoordinateMax)) << 16);
  const uintptr_t buttons = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
  PostMessage(target, message, buttons, lParam);
}

// Keys and typed characters go to the modal box, else the focus window, else the main window.
WindowHandle KeyTarget() {
  WindowHandle target = modalWindow.load();
  if (!target) target = GetFocus();
  if (!target || !IsWindow(target)) target = inputWindow.load();
  return target;
}

void PostKey(uint32_t virtualKey, bool down) {
  PostMessage(KeyTarget(), down ? WM_KEYDOWN : WM_KEYUP, virtualKey,
              down ? kKeyDownBits : kKeyUpBits);
}

void PostChar(char16_t character) {
  PostMessage(KeyTarget(), WM_CHAR, character, kKeyDownBits);
}

void PostClose() {
  PostMessage(inputWindow.load(), WM_CLOSE, 0, 0);
}
