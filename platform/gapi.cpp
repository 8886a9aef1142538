#include "platform/gapi.h"

#include <atomic>

#include "platform/screen.h"

namespace {

std::atomic<bool> displayOpen{false};   // main thread writes; video thread reads
std::atomic<bool> inputTaken{false};    // main thread writes; backend input reads
thread_local int32_t openBrackets = 0;  // this thread's BeginDraw calls without EndDraw

}  // namespace

int32_t OpenDisplay(WindowHandle, uint32_t) {
  ScreenPixels();
  displayOpen = true;
  return 1;
}

int32_t CloseDisplay() {
  displayOpen = false;
  return 1;
}

int32_t OpenInput() {
  inputTaken = true;
  return 1;
}

int32_t CloseInput() {
  inputTaken = false;
  return 1;
}

bool InputTakenOver() {
  return inputTaken.load();
}

uint16_t* BeginDraw() {
  if (!displayOpen.load()) return nullptr;
  ++openBrackets;
  EnterFrameWrite();
  return ScreenPixels();
}

int32_t EndDraw() {
  if (openBrackets == 0) return 0;
  --openBrackets;
  LeaveFrameWrite();
  PresentScreen();
  return 1;
}
