#include "platform/controls/dialog_widgets.h"

#include <algorithm>
#include <cstdio>

#include "platform/controls/dialog_modal_loop.h"
#include "platform/controls/dialog_style.h"
#include "platform/text.h"
#include "platform/virtual_keys.h"

namespace {

constexpr int32_t kBoxSize = 13;
constexpr int32_t kStepButtonWidth = 22;
constexpr int32_t kValueWidth = 44;  // a number with its suffix
constexpr int32_t kKnobWidth = 8;
constexpr int32_t kInset = 3;
constexpr int32_t kLabelShare = 2;  // the label takes 1/kLabelShare of a row with a control

struct NamedKey {
  uint32_t key;
  const char16_t* name;
};
constexpr NamedKey kKeyNames[] = {
    {0, u"None"},
    {kKeyBackspace, u"Backspace"},
    {kKeyTab, u"Tab"},
    {VK_RETURN, u"Enter"},
    {VK_ESCAPE, u"Escape"},
    {VK_SPACE, u"Space"},
    {VK_PRIOR, u"Page Up"},
    {VK_NEXT, u"Page Down"},
    {VK_LEFT, u"Left"},
    {VK_UP, u"Up"},
    {VK_RIGHT, u"Right"},
    {VK_DOWN, u"Down"},
    {VK_VOLUME_MUTE, u"Mute"},
    {VK_VOLUME_DOWN, u"Volume Down"},
    {VK_VOLUME_UP, u"Volume Up"},
    {VK_MEDIA_NEXT_TRACK, u"Next Track"},
    {VK_MEDIA_PREV_TRACK, u"Previous Track"},
    {VK_MEDIA_STOP, u"Stop"},
    {VK_MEDIA_PLAY_PAUSE, u"Play/Pause"},
};
constexpr uint32_t kLastFunctionKey = VK_F1 + 23;

Rect Inset(const Rect& r, int32_t by) {
  return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

Rect LabelPart(const Rect& row) {
  return {row.left, row.top, row.left + (row.right - row.left) / kLabelShare, row.bottom};
}

Rect ControlPart(const Rect& row) {
  return {LabelPart(row).right, row.top + kInset, row.right, row.bottom - kInset};
}

std::u16string NumberText(const Widget& widget) {
  char digits[16];
  const bool signedNumber = widget.kind == WidgetKind::Slider && widget.value != 0;
  std::snprintf(digits, sizeof digits, signedNumber ? "%+d" : "%d", widget.value);
  return Utf8ToWide(digits) + widget.suffix;
}

Rect SliderTrack(const Rect& row) {
  const Rect control = ControlPart(row);
  return {control.left + kKnobWidth / 2, control.top, control.right - kValueWidth - kKnobWidth / 2,
          control.bottom};
}

void DrawButtonFace(DeviceContextHandle dc, const Rect& rect, std::u16string_view text) {
  FillRect(dc, rect, kFaceColor);
  DrawRaisedFrame(dc, rect);
  DrawLabel(dc, text, rect, DT_CENTER | DT_VCENTER, kTextColor);
}

void DrawCheckBox(DeviceContextHandle dc, const Widget& widget, const Rect& rect) {
  const int32_t top = (rect.top + rect.bottom - kBoxSize) / 2;
  const Rect box{rect.left + kInset, top, rect.left + kInset + kBoxSize, top + kBoxSize};
  FillRect(dc, box, kFieldColor);
  DrawSunkenFrame(dc, box);
  if (widget.value) DrawCheckMark(dc, box.left + 2, box.top + 1, kTextColor);
  DrawLabel(dc, widget.label, {box.right + 2 * kInset, rect.top, rect.right, rect.bottom},
            DT_LEFT | DT_VCENTER, kTextColor);
}

void DrawStepper(DeviceContextHandle dc, const Widget& widget, const Rect& rect) {
  const Rect control = ControlPart(rect);
  const Rect minus{control.left, control.top, control.left + kStepButtonWidth, control.bottom};
  const Rect plus{control.right - kStepButtonWidth, control.top, control.right, control.bottom};
  DrawButtonFace(dc, minus, u"-");
  DrawButtonFace(dc, plus, u"+");
  DrawLabel(dc, NumberText(widget), {minus.right, control.top, plus.left, control.bottom},
            DT_CENTER | DT_VCENTER, kTextColor);
}

void DrawSlider(DeviceContextHandle dc, const Widget& widget, const Rect& rect) {
  const Rect track = SliderTrack(rect);
  const int32_t middle = (track.top + track.bottom) / 2;
  DrawSunkenFrame(dc, {track.left, middle - 2, track.right, middle + 2});
  const int32_t span = std::max(1, widget.maximum - widget.minimum);
  const int32_t x =
      track.left + (track.right - track.left) * (widget.value - widget.minimum) / span;
  const Rect knob{x - kKnobWidth / 2, track.top, x + kKnobWidth / 2, track.bottom};
  FillRect(dc, knob, kFaceColor);
  DrawRaisedFrame(dc, knob);
  DrawLabel(dc, NumberText(widget),
            {track.right + kKnobWidth / 2, rect.top, rect.right, rect.bottom},
            DT_RIGHT | DT_VCENTER, kTextColor);
}

void DrawField(DeviceContextHandle dc, const Rect& field, std::u16string_view text,
               uint32_t format) {
  FillRect(dc, field, kFieldColor);
  DrawSunkenFrame(dc, field);
  DrawLabel(dc, text, Inset(field, kInset), format | DT_VCENTER, kTextColor);
}

Rect KeypadKey(const Widget& widget, const Rect& rect, size_t index) {
  const auto keys = static_cast<int32_t>(widget.text.size());
  const int32_t width = (rect.right - rect.left) / std::max(1, keys);
  const int32_t left = rect.left + static_cast<int32_t>(index) * width;
  return {left + 1, rect.top + 1, left + width - 1, rect.bottom - 1};
}

std::u16string KeypadLabel(char16_t key) {
  return key == u'\b' ? std::u16string(u"<") : std::u16string(1, key);
}

void DrawKeypad(DeviceContextHandle dc, const Widget& widget, const Rect& rect, bool focused) {
  for (size_t i = 0; i < widget.text.size(); ++i) {
    const Rect key = KeypadKey(widget, rect, i);
    DrawButtonFace(dc, key, KeypadLabel(widget.text[i]));
    if (focused && static_cast<int32_t>(i) == widget.value) DrawSunkenFrame(dc, key);
  }
}

void DrawFocus(DeviceContextHandle dc, const Rect& rect) {
  for (int32_t x = rect.left; x < rect.right; x += 2) {
    SetPixel(dc, x, rect.top, kTextColor);
    SetPixel(dc, x, rect.bottom - 1, kTextColor);
  }
  for (int32_t y = rect.top; y < rect.bottom; y += 2) {
    SetPixel(dc, rect.left, y, kTextColor);
    SetPixel(dc, rect.right - 1, y, kTextColor);
  }
}

bool Step(Widget* widget, int32_t direction) {
  const int32_t value =
      std::clamp(widget->value + direction * widget->step, widget->minimum, widget->maximum);
  if (value == widget->value) return false;
  widget->value = value;
  return true;
}

WidgetAction SliderPen(Widget* widget, const Rect& rect, int32_t x) {
  const Rect track = SliderTrack(rect);
  const int32_t span = widget->maximum - widget->minimum,
                width = std::max(1, track.right - track.left);
  const int32_t offset = std::clamp(x - track.left, 0, width);
  const int32_t value = widget->minimum + (offset * span + width / 2) / width;
  if (value == widget->value) return WidgetAction::None;
  widget->value = value;
  return WidgetAction::Changed;
}

WidgetAction StepperPen(Widget* widget, const Rect& rect, int32_t x) {
  const Rect control = ControlPart(rect);
  if (x < control.left + kStepButtonWidth)
    return Step(widget, -1) ? WidgetAction::Changed : WidgetAction::None;
  if (x >= control.right - kStepButtonWidth)
    return Step(widget, 1) ? WidgetAction::Changed : WidgetAction::None;
  return WidgetAction::None;
}

WidgetAction KeypadPen(Widget* widget, const Rect& rect, int32_t x, int32_t y) {
  for (size_t i = 0; i < widget->text.size(); ++i)
    if (RectContains(KeypadKey(*widget, rect, i), x, y)) {
      widget->value = static_cast<int32_t>(i);
      return WidgetAction::KeypadKey;
    }
  return WidgetAction::None;
}

bool IsActionKey(uint32_t key) {
  return key == VK_RETURN || key == VK_SPACE;
}

}  // namespace

void DrawWidget(DeviceContextHandle dc, const Widget& widget, const Rect& rect, bool focused,
                bool capturing) {
  switch (widget.kind) {
    case WidgetKind::CheckBox:
      DrawCheckBox(dc, widget, rect);
      break;
    case WidgetKind::Stepper:
      DrawLabel(dc, widget.label, LabelPart(rect), DT_LEFT | DT_VCENTER, kTextColor);
      DrawStepper(dc, widget, rect);
      break;
    case WidgetKind::Slider:
      DrawLabel(dc, widget.label, LabelPart(rect), DT_LEFT | DT_VCENTER, kTextColor);
      DrawSlider(dc, widget, rect);
      break;
    case WidgetKind::KeyField:
      DrawLabel(dc, widget.label, LabelPart(rect), DT_LEFT | DT_VCENTER, kTextColor);
      DrawField(dc, ControlPart(rect), capturing ? u"Press a key..." : KeyName(widget.value),
                DT_LEFT);
      break;
    case WidgetKind::TextField:
      DrawField(dc, Inset(rect, 1), widget.text + u"|", DT_LEFT);
      break;
    case WidgetKind::Keypad:
      DrawKeypad(dc, widget, rect, focused);
      break;
    case WidgetKind::Item:
      DrawLabel(dc, widget.label, Inset(rect, kInset), DT_LEFT | DT_VCENTER, kTextColor);
      break;
    case WidgetKind::Button:
      DrawButtonFace(dc, rect, widget.label);
      break;
  }
  if (focused && widget.kind != WidgetKind::Keypad) DrawFocus(dc, Inset(rect, 1));
}

WidgetAction WidgetPen(Widget* widget, const Rect& rect, uint32_t message, int32_t x, int32_t y) {
  if (widget->kind == WidgetKind::Slider) return SliderPen(widget, rect, x);
  if (message != WM_LBUTTONDOWN) return WidgetAction::None;
  switch (widget->kind) {
    case WidgetKind::CheckBox:
      widget->value = !widget->value;
      return WidgetAction::Changed;
    case WidgetKind::Stepper:
      return StepperPen(widget, rect, x);
    case WidgetKind::KeyField:
      return WidgetAction::StartCapture;
    case WidgetKind::Keypad:
      return KeypadPen(widget, rect, x, y);
    case WidgetKind::Item:
    case WidgetKind::Button:
      return WidgetAction::Pressed;
    default:
      return WidgetAction::None;
  }
}

WidgetAction WidgetKey(Widget* widget, uint32_t key) {
  const int32_t direction = key == VK_LEFT ? -1 : key == VK_RIGHT ? 1 : 0;
  switch (widget->kind) {
    case WidgetKind::CheckBox:
      if (!IsActionKey(key)) return WidgetAction::None;
      widget->value = !widget->value;
      return WidgetAction::Changed;
    case WidgetKind::Stepper:
    case WidgetKind::Slider:
      return direction != 0 && Step(widget, direction) ? WidgetAction::Changed : WidgetAction::None;
    case WidgetKind::KeyField:
      return IsActionKey(key) ? WidgetAction::StartCapture : WidgetAction::None;
    case WidgetKind::Keypad:
      if (IsActionKey(key)) return WidgetAction::KeypadKey;
      if (direction == 0) return WidgetAction::None;
      widget->value =
          std::clamp(widget->value + direction, 0, static_cast<int32_t>(widget->text.size()) - 1);
      return WidgetAction::Changed;
    case WidgetKind::Item:
    case WidgetKind::Button:
      return IsActionKey(key) ? WidgetAction::Pressed : WidgetAction::None;
    default:
      return WidgetAction::None;
  }
}

bool WidgetChar(Widget* widget, char16_t c) {
  if (widget->kind != WidgetKind::TextField) return false;
  if (c == u'\b') {
    if (widget->text.empty()) return false;
    widget->text.pop_back();
    return true;
  }
  if (c < u' ' || (widget->maxLength && widget->text.size() >= widget->maxLength)) return false;
  widget->text.push_back(c);
  return true;
}

std::u16string KeyName(uint32_t key) {
  for (const NamedKey& named : kKeyNames)
    if (named.key == key) return named.name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    return std::u16string(1, static_cast<char16_t>(key));
  char text[16];
  if (key >= VK_F1 && key <= kLastFunctionKey)
    std::snprintf(text, sizeof text, "F%u", key - VK_F1 + 1);
  else
    std::snprintf(text, sizeof text, "Key 0x%02X", key);
  return Utf8ToWide(text);
}
