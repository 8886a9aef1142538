// The drawn message box: a modal window over the screen with the title, the text (line breaks
// kept, long lines wrapped) and an OK button. It takes the pen and the keys while it is up,
// runs a nested message loop so the player's other messages keep flowing, and puts back the
// pixels it covered when it goes. Enter, Escape or the OK button close it; an answer from the
// script closes it too.
#include "platform/message_box_presenter.h"

#include <algorithm>
#include <string>

#include "platform/controls/dialog_style.h"
#include "platform/drawing.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/screen.h"
#include "platform/screen_save.h"
#include "platform/script.h"
#include "platform/virtual_keys.h"

namespace {

constexpr int32_t kMargin = 10;
constexpr int32_t kTitleHeight = 20;
constexpr int32_t kButtonWidth = 64;
constexpr int32_t kButtonHeight = 22;
constexpr int32_t kMinimumWidth = 180;
constexpr int32_t kFontHeight = 15;
constexpr uint32_t kFrameColor = RGB(0, 0, 0);
constexpr uint32_t kButtonColor = RGB(236, 233, 216);

struct Box {
  std::u16string title, text;
  FontHandle font;
  Rect bounds;    // on the screen
  Rect textArea;  // in the box
  Rect button;    // in the box
  bool buttonDown = false;
  int32_t result = 0;  // 0 while open
};

bool Inside(const Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void FillFramed(DeviceContextHandle dc, const Rect& r, uint32_t fill) {
  FillRect(dc, r, kFrameColor);
  FillRect(dc, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, fill);
}

void DrawBox(WindowHandle window, const Box& box) {
  DeviceContextHandle dc = GetDC(window);
  const int32_t width = box.bounds.right - box.bounds.left;
  FillFramed(dc, {0, 0, width, box.bounds.bottom - box.bounds.top}, kFaceColor);
  FillRect(dc, {1, 1, width - 1, kTitleHeight}, kHighlightColor);
  FontHandle previous = SelectFont(dc, box.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kHighlightTextColor);
  Rect title{kMargin / 2, 1, width - kMargin / 2, kTitleHeight};
  DrawText(dc, box.title, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(dc, kTextColor);
  Rect text = box.textArea;
  DrawText(dc, box.text, &text, DT_CENTER | DT_WORDBREAK);
  FillFramed(dc, box.button, box.buttonDown ? kFaceColor : kButtonColor);
  Rect label = box.button;
  DrawText(dc, u"OK", &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectFont(dc, previous);
  ReleaseDC(window, dc);
}

// Sizes the box around its text and centres it on the screen.
void LayOut(Box* box) {
  const int32_t screenW = ScreenWidth(), screenH = ScreenHeight();
  const int32_t maxText = std::max(1, screenW - 4 * kMargin);
  DeviceContextHandle dc = CreateCompatibleDC(nullptr);
  FontHandle previous = SelectFont(dc, box->font);
  Rect measure{0, 0, maxText, 0};
  DrawText(dc, box->text, &measure, DT_CALCRECT | DT_WORDBREAK);
  Rect titleMeasure{0, 0, maxText, 0};
  DrawText(dc, box->title, &titleMeasure, DT_CALCRECT | DT_SINGLELINE);
  SelectFont(dc, previous);
  DeleteDC(dc);
  const int32_t textW = std::max(measure.right, titleMeasure.right);
  const int32_t width = std::min(screenW, std::max(kMinimumWidth, textW + 2 * kMargin));
  const int32_t height =
      std::min(screenH, kTitleHeight + measure.bottom + kButtonHeight + 3 * kMargin);
  const int32_t left = (screenW - width) / 2, top = (screenH - height) / 2;
  box->bounds = {left, top, left + width, top + height};
  box->textArea = {kMargin, kTitleHeight + kMargin, width - kMargin,
                   kTitleHeight + kMargin + measure.bottom};
  const int32_t buttonLeft = (width - kButtonWidth) / 2,
                buttonTop = height - kMargin - kButtonHeight;
  box->button = {buttonLeft, buttonTop, buttonLeft + kButtonWidth, buttonTop + kButtonHeight};
}

void OnPen(WindowHandle window, Box* box, uint32_t message, intptr_t lParam) {
  const int32_t x = static_cast<int32_t>(lParam & 0xFFFF), y = static_cast<int32_t>(lParam >> 16);
  const bool over = Inside(box->button, x, y);
  if (message == WM_LBUTTONDOWN) box->buttonDown = over;
  if (message == WM_LBUTTONUP) {
    if (box->buttonDown && over) box->result = IDOK;
    box->buttonDown = false;
  }
  DrawBox(window, *box);
}

intptr_t BoxProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  auto* box = static_cast<Box*>(GetWindowData(window));
  if (message == WM_CREATE) {
    SetWindowData(window, reinterpret_cast<WindowDescription*>(lParam)->createData);
    return 0;
  }
  if (!box) return DefWindowProc(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      ValidateWindow(window);
      DrawBox(window, *box);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      OnPen(window, box, message, lParam);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_SPACE) box->result = IDOK;
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

int32_t AnswerCode(const std::string& answer) {
  return answer == "cancel" ? IDCANCEL : IDOK;
}

// Runs the nested loop until the box has its result; a quit message ends it and is posted
// again for the outer loop.
void RunModalLoop(Box* box) {
  Message message;
  std::string answer;
  while (box->result == 0) {
    if (TakeScriptAnswer(&answer)) {
      box->result = AnswerCode(answer);
      break;
    }
    if (!GetMessage(&message)) {  // an answer also arrives as a message, and wakes this
      PostQuitMessage(static_cast<int32_t>(message.wParam));
      box->result = IDCANCEL;
      break;
    }
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
}

}  // namespace

int32_t PresentDrawnMessageBox(WindowHandle, std::u16string_view text, std::u16string_view title,
                               uint32_t) {
  Box box{.title = std::u16string(title),
          .text = std::u16string(text),
          .font = CreateFont(u"Tahoma", kFontHeight, FW_NORMAL)};
  LayOut(&box);
  const SavedPixels under = SaveScreenRect(box.bounds);
  WindowHandle window = CreateWindow({.className = u"MorvelantMessageBox",
                                      .title = box.title.c_str(),
                                      .procedure = BoxProc,
                                      .bounds = box.bounds,
                                      .createData = &box});
  SetModalInputWindow(window);
  DrawBox(window, box);
  RunModalLoop(&box);
  SetModalInputWindow(nullptr);
  DestroyWindow(window);
  RestoreScreenRect(under);
  DeleteFont(box.font);
  return box.result;
}
