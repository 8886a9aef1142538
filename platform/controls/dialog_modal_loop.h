// The modal loop of menus, dialogs and the file chooser. While a box is open its thread's pen,
// key and character messages go to the box, whichever window they were posted to (the pen is
// always posted to the main window); every other message is dispatched as usual, so timers,
// paints and messages sent from other threads keep flowing. Main thread.
#pragma once

#include <functional>
#include <string>

#include "platform/window.h"

struct ModalHandlers {
  // A pen, key or character message; the pen's lParam already holds screen coordinates.
  // Returns true when the box has ended.
  std::function<bool(const Message&)> input;
  // After any other message was dispatched: the box draws itself again, as a paint may have
  // covered it.
  std::function<void()> afterDispatch;
  // A script's answer; returns true when the box has ended. Empty: the box takes no answers.
  std::function<bool(const std::string&)> answer;
  // The window the box belongs to, or null: when a message destroys it (the player closed
  // under the box), the box ends at once rather than draw what went with it.
  WindowHandle owner = nullptr;
};

// Runs until a handler ends the box. False when the quit message arrived instead (it is
// posted again so that the outer loop ends too) or the owner was destroyed.
bool RunModalLoop(const ModalHandlers& handlers);

bool IsPenMessage(uint32_t message);
// The x and y of a pen message's lParam.
int32_t PenX(intptr_t lParam);
int32_t PenY(intptr_t lParam);
intptr_t PenParam(int32_t x, int32_t y);
