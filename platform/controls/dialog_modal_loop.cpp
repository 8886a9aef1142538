#include "platform/controls/dialog_modal_loop.h"

#include "platform/script.h"

namespace {

bool IsInputMessage(uint32_t message) {
  return IsPenMessage(message) || message == WM_KEYDOWN || message == WM_KEYUP ||
         message == WM_CHAR;
}

// Pen messages carry the target window's client coordinates; boxes work in screen pixels.
Message InScreenCoordinates(Message message) {
  if (!IsPenMessage(message.message) || !message.window) return message;
  const Rect bounds = GetWindowRect(message.window);
  message.lParam = PenParam(PenX(message.lParam) + bounds.left, PenY(message.lParam) + bounds.top);
  return message;
}

bool TakeAnswer(const ModalHandlers& handlers) {
  std::string answer;
  return handlers.answer && TakeScriptAnswer(&answer) && handlers.answer(answer);
}

}  // namespace

bool RunModalLoop(const ModalHandlers& handlers) {
  if (TakeAnswer(handlers)) return true;
  Message message;
  while (GetMessage(&message)) {
    if (IsInputMessage(message.message)) {
      if (handlers.input(InScreenCoordinates(message))) return true;
      continue;
    }
    DispatchMessage(&message);
    if (handlers.owner && !IsWindow(handlers.owner)) return false;
    if (TakeAnswer(handlers)) return true;
    if (handlers.afterDispatch) handlers.afterDispatch();
  }
  PostQuitMessage(static_cast<int32_t>(message.wParam));
  return false;
}

bool IsPenMessage(uint32_t message) {
  return message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_LBUTTONUP;
}

int32_t PenX(intptr_t lParam) {
  return static_cast<int32_t>(lParam & 0xFFFF);
}
int32_t PenY(intptr_t lParam) {
  return static_cast<int32_t>((lParam >> 16) & 0xFFFF);
}
intptr_t PenParam(int32_t x, int32_t y) {
  return (x & 0xFFFF) | (static_cast<intptr_t>(y & 0xFFFF) << 16);
}
