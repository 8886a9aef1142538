#include "platform/controls/dialog_box.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "platform/controls/dialog_modal_loop.h"
#include "platform/controls/dialog_scroll_bar.h"
#include "platform/controls/dialog_style.h"
#include "platform/journal.h"
#include "platform/message_box.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "platform/virtual_keys.h"

namespace {

constexpr int32_t kScreenMargin = 8;
constexpr int32_t kMaxWidth = 360;
constexpr int32_t kTitleHeight = 20;
constexpr int32_t kPadding = 6;
constexpr int32_t kStatusHeight = 18;
constexpr int32_t kButtonRowHeight = 30;
constexpr int32_t kButtonWidth = 64;
constexpr int32_t kButtonHeight = 24;

struct Layout {
  Rect box, title, rows, status;
  ScrollBar scroll;
  std::vector<Rect> widgets;  // screen rectangles, empty for rows out of view
};

bool IsButton(const Widget& widget) {
  return widget.kind == WidgetKind::Button;
}

int32_t RowCount(const DialogBox& box) {
  return static_cast<int32_t>(std::count_if(box.widgets.begin(), box.widgets.end(),
                                            [](const Widget& w) { return !IsButton(w); }));
}

Rect PlaceBox(int32_t rows, int32_t* visibleRows) {
  const int32_t fixed = kTitleHeight + 2 * kPadding + kStatusHeight + kButtonRowHeight;
  const int32_t width = std::min(ScreenWidth() - 2 * kScreenMargin, kMaxWidth);
  const int32_t room = (ScreenHeight() - 2 * kScreenMargin - fixed) / kDialogRowHeight;
  *visibleRows = std::clamp(rows, 1, std::max(1, room));
  const int32_t height = fixed + *visibleRows * kDialogRowHeight;
  const int32_t left = (ScreenWidth() - width) / 2, top = (ScreenHeight() - height) / 2;
  return {left, top, left + width, top + height};
}

void PlaceButtons(const DialogBox& box, const Rect& frame, Layout* layout) {
  int32_t right = frame.right - kPadding;
  const int32_t top = frame.bottom - kButtonRowHeight + (kButtonRowHeight - kButtonHeight) / 2;
  for (size_t i = box.widgets.size(); i-- > 0;) {
    if (!IsButton(box.widgets[i])) continue;
    layout->widgets[i] = {right - kButtonWidth, top, right, top + kButtonHeight};
    right -= kButtonWidth + kPadding;
  }
}

Layout LayOut(const DialogBox& box) {
  Layout layout;
  int32_t visible = 0;
  const int32_t rows = RowCount(box);
  layout.box = PlaceBox(rows, &visible);
  const Rect& b = layout.box;
  layout.title = {b.left + 2, b.top + 2, b.right - 2, b.top + kTitleHeight};
  layout.scroll = {.total = rows, .visible = visible, .top = 0};
  const bool scrolls = ScrollBarNeeded(layout.scroll);
  const int32_t rowsTop = layout.title.bottom + kPadding;
  const int32_t rowsRight = b.right - kPadding - (scrolls ? kScrollBarWidth + 2 : 0);
  layout.rows = {b.left + kPadding, rowsTop, rowsRight, rowsTop + visible * kDialogRowHeight};
  layout.scroll.rect = {rowsRight + 2, rowsTop, b.right - kPadding, layout.rows.bottom};
  layout.scroll.top = ClampScrollTop(layout.scroll, box.firstRow);
  layout.status = {b.left + kPadding, layout.rows.bottom, b.right - kPadding,
                   layout.rows.bottom + kStatusHeight};
  layout.widgets.assign(box.widgets.size(), Rect{});
  int32_t row = 0;
  for (size_t i = 0; i < box.widgets.size(); ++i) {
    if (IsButton(box.widgets[i])) continue;
    const int32_t slot = row++ - layout.scroll.top;
    if (slot < 0 || slot >= visible) continue;
    const int32_t top = rowsTop + slot * kDialogRowHeight;
    layout.widgets[i] = {layout.rows.left, top, layout.rows.right, top + kDialogRowHeight};
  }
  PlaceButtons(box, b, &layout);
  return layout;
}

struct Run {
  DialogBox* box;
  SavedPixels saved;
  bool capturing = false;    // a key field waits for its key
  int32_t penWidget = -1;    // the widget the pen pressed, while it is down
  bool penOnScroll = false;  // the pen pressed the scroll bar
  int32_t scrollDrag = -1;   // the scroll bar's drag offset while its thumb follows the pen
  bool ended = false;
  int32_t result = IDCANCEL;
};

void Draw(const Run& run) {
  const DialogBox& box = *run.box;
  const Layout layout = LayOut(box);
  DeviceContextHandle dc = GetDC(nullptr);
  FillRect(dc, layout.box, kFaceColor);
  DrawRaisedFrame(dc, layout.box);
  FillRect(dc, layout.title, kHighlightColor);
  DrawLabel(
      dc, box.title,
      {layout.title.left + kPadding, layout.title.top, layout.title.right, layout.title.bottom},
      DT_LEFT | DT_VCENTER, kHighlightTextColor);
  for (size_t i = 0; i < box.widgets.size(); ++i)
    if (layout.widgets[i].right > layout.widgets[i].left)
      DrawWidget(dc, box.widgets[i], layout.widgets[i], i == box.focus,
                 run.capturing && i == box.focus);
  if (ScrollBarNeeded(layout.scroll)) DrawScrollBar(dc, layout.scroll);
  DrawLabel(dc, box.status, layout.status, DT_LEFT | DT_VCENTER, kTextColor);
  ReleaseDC(nullptr, dc);
}

void End(Run* run, int32_t result) {
  run->ended = true;
  run->result = result;
}

void Accept(Run* run) {
  if (run->box->accept && !run->box->accept(*run->box)) return;
  End(run, IDOK);
}

void Press(Run* run, const Widget& button) {
  if (button.result == IDOK)
    Accept(run);
  else
    End(run, button.result);
}

Widget* TextField(DialogBox* box) {
  for (Widget& widget : box->widgets)
    if (widget.kind == WidgetKind::TextField) return &widget;
  return nullptr;
}

void TypeChar(Run* run, char16_t c) {
  if (Widget* field = TextField(run->box)) WidgetChar(field, c);
}

void Act(Run* run, size_t index, WidgetAction action) {
  DialogBox& box = *run->box;
  const Widget& widget = box.widgets[index];
  if (action == WidgetAction::Pressed && IsButton(widget)) return Press(run, widget);
  if (action == WidgetAction::StartCapture) run->capturing = true;
  if (action == WidgetAction::KeypadKey)
    TypeChar(run, widget.text[static_cast<size_t>(widget.value)]);
  if ((action == WidgetAction::Pressed || action == WidgetAction::Changed) && box.rowAction) {
    if (action == WidgetAction::Pressed) run->penWidget = -1;  // the widgets may be replaced
    box.rowAction(box, index, action);
  }
}

// The row of widget `index` among the rows, to scroll it into view.
int32_t RowOf(const DialogBox& box, size_t index) {
  int32_t row = 0;
  for (size_t i = 0; i < index; ++i) row += IsButton(box.widgets[i]) ? 0 : 1;
  return row;
}

void MoveFocus(Run* run, int32_t step) {
  DialogBox& box = *run->box;
  const auto count = static_cast<int32_t>(box.widgets.size());
  box.focus = static_cast<size_t>((static_cast<int32_t>(box.focus) + step + count) % count);
  if (IsButton(box.widgets[box.focus])) return;
  const Layout layout = LayOut(box);
  const int32_t row = RowOf(box, box.focus);
  if (row < layout.scroll.top) box.firstRow = row;
  if (row >= layout.scroll.top + layout.scroll.visible)
    box.firstRow = row - layout.scroll.visible + 1;
}

void OnKey(Run* run, uint32_t key) {
  DialogBox& box = *run->box;
  if (run->capturing) {
    if (key != VK_ESCAPE) box.widgets[box.focus].value = static_cast<int32_t>(key);
    run->capturing = false;
    return;
  }
  if (key == VK_ESCAPE) return End(run, IDCANCEL);
  if (key == VK_UP || key == VK_DOWN || key == kKeyTab)
    return MoveFocus(run, key == VK_UP ? -1 : 1);
  if (key == kKeyBackspace) return TypeChar(run, u'\b');
  const WidgetAction action = WidgetKey(&box.widgets[box.focus], key);
  if (action == WidgetAction::None && key == VK_RETURN) return Accept(run);
  Act(run, box.focus, action);
}

void OnPen(Run* run, uint32_t message, int32_t x, int32_t y) {
  DialogBox& box = *run->box;
  Layout layout = LayOut(box);
  layout.scroll.dragOffset = run->scrollDrag;
  if (message == WM_LBUTTONDOWN) {
    run->penOnScroll = ScrollBarPen(&layout.scroll, message, x, y);
    run->penWidget = -1;
    for (size_t i = 0; i < box.widgets.size() && !run->penOnScroll; ++i)
      if (RectContains(layout.widgets[i], x, y)) run->penWidget = static_cast<int32_t>(i);
    if (run->penWidget >= 0) box.focus = static_cast<size_t>(run->penWidget);
  } else if (run->penOnScroll) {
    ScrollBarPen(&layout.scroll, message, x, y);
  }
  run->scrollDrag = layout.scroll.dragOffset;
  if (run->penOnScroll) box.firstRow = layout.scroll.top;
  if (run->penWidget >= 0) {
    const auto index = static_cast<size_t>(run->penWidget);
    Act(run, index, WidgetPen(&box.widgets[index], layout.widgets[index], message, x, y));
  }
  if (message == WM_LBUTTONUP) {
    run->penWidget = -1;
    run->penOnScroll = false;
  }
}

bool OnInput(Run* run, const Message& message) {
  if (message.message == WM_KEYDOWN) OnKey(run, static_cast<uint32_t>(message.wParam));
  // Backspace arrives as its key; a character message for it would delete twice.
  if (message.message == WM_CHAR && message.wParam >= u' ')
    TypeChar(run, static_cast<char16_t>(message.wParam));
  if (IsPenMessage(message.message))
    OnPen(run, message.message, PenX(message.lParam), PenY(message.lParam));
  if (!run->ended) Draw(*run);
  return run->ended;
}

bool OnAnswer(Run* run, const std::string& answer) {
  DialogBox& box = *run->box;
  if (answer == "cancel")
    End(run, IDCANCEL);
  else if (answer == "ok")
    Accept(run);
  else if (box.answer ? box.answer(box, answer) : SetWidgetsFromAnswer(&box, answer))
    Accept(run);
  if (!run->ended) {
    // A script must not leave the box waiting for a user who is not there.
    JournalWrite("dialog-answer-refused", {{"name", box.name}, {"answer", answer}});
    End(run, IDCANCEL);
  }
  return true;
}

bool ParseNumber(const std::string& text, int32_t* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 0);
  if (*end != 0) return false;
  *value = static_cast<int32_t>(number);
  return true;
}

bool SetWidget(Widget* widget, const std::string& value) {
  if (widget->kind == WidgetKind::TextField) {
    widget->text = Utf8ToWide(value);
    return true;
  }
  int32_t number = 0;
  if (widget->kind == WidgetKind::KeyField && value.size() == 1 && std::isalnum(value[0]))
    number = std::toupper(value[0]);
  else if (!ParseNumber(value, &number))
    return false;
  if (widget->kind == WidgetKind::CheckBox) number = number != 0;
  if (widget->kind == WidgetKind::Stepper || widget->kind == WidgetKind::Slider)
    number = std::clamp(number, widget->minimum, widget->maximum);
  widget->value = number;
  return true;
}

}  // namespace

int32_t RunDialogBox(DialogBox* box) {
  JournalWrite("dialog", {{"name", box->name}});
  Run run{.box = box, .saved = SaveScreenRect(LayOut(*box).box)};
  Draw(run);
  RunModalLoop({.input = [&](const Message& message) { return OnInput(&run, message); },
                .afterDispatch = [&] { Draw(run); },
                .answer = [&](const std::string& answer) { return OnAnswer(&run, answer); }});
  RestoreScreenRect(run.saved);
  JournalWrite("dialog-closed", {{"name", box->name},
                                 {"result", std::string(run.result == IDOK ? "ok" : "cancel")}});
  return run.result;
}

Widget* FindWidget(DialogBox* box, std::string_view name) {
  for (Widget& widget : box->widgets)
    if (widget.name == name) return &widget;
  return nullptr;
}

Rect DialogWidgetRect(const DialogBox& box, size_t index) {
  const Layout layout = LayOut(box);
  return index < layout.widgets.size() ? layout.widgets[index] : Rect{};
}

Rect DialogBoxRect(const DialogBox& box) {
  return LayOut(box).box;
}

bool SetWidgetsFromAnswer(DialogBox* box, const std::string& answer) {
  std::string spaced = answer;
  std::replace(spaced.begin(), spaced.end(), ',', ' ');
  size_t start = spaced.find_first_not_of(' ');
  while (start != std::string::npos) {
    const size_t end = std::min(spaced.find(' ', start), spaced.size());
    const std::string pair = spaced.substr(start, end - start);
    const size_t equals = pair.find('=');
    Widget* widget =
        equals == std::string::npos ? nullptr : FindWidget(box, pair.substr(0, equals));
    if (!widget || !SetWidget(widget, pair.substr(equals + 1))) return false;
    start = spaced.find_first_not_of(' ', end);
  }
  return true;
}
