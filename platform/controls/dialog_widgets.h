// The widgets of the start-up library's dialogs and the file chooser, each one row high: check
// boxes, steppers, sliders, key fields (set by pressing the key), text fields, a keypad and
// buttons. Drawing and the input of one widget; dialog_box.h lays them out. Main thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/drawing.h"
#include "platform/virtual_keys.h"

// Keys the dialogs use beyond platform/virtual_keys.h.
constexpr uint32_t kKeyBackspace = VK_BACK;
constexpr uint32_t kKeyTab = 0x09;

// An Item is a plain row of text that can be pressed (a folder in the file chooser).
enum class WidgetKind { CheckBox, Stepper, Slider, KeyField, TextField, Keypad, Item, Button };

struct Widget {
  WidgetKind kind;
  std::string name;  // what a script's answer calls it
  std::u16string label;
  int32_t value = 0;  // check box 0/1, a number, a virtual key, the keypad's lit key
  int32_t minimum = 0, maximum = 0, step = 1;
  std::u16string suffix;  // after a number (" dB")
  std::u16string text;    // a text field's contents; the keypad's keys
  int32_t result = 0;     // the box's result when a button is pressed
  size_t maxLength = 0;   // of a text field
};

enum class WidgetAction {
  None,
  Changed,       // the value changed: draw again
  Pressed,       // a button or an item was pressed
  StartCapture,  // a key field waits for the next key
  KeypadKey,     // the keypad's lit key was pressed
};

// The row's rectangle; `focused` draws the focus, `capturing` a key field's waiting state.
void DrawWidget(DeviceContextHandle dc, const Widget& widget, const Rect& rect, bool focused,
                bool capturing);
// A pen press or move (while pressed) at (x, y) inside the row.
WidgetAction WidgetPen(Widget* widget, const Rect& rect, uint32_t message, int32_t x, int32_t y);
// Left and Right change a value or the keypad's key; Enter and Space act.
WidgetAction WidgetKey(Widget* widget, uint32_t key);
// A typed character for a text field; Backspace (8) deletes. True when the text changed.
bool WidgetChar(Widget* widget, char16_t c);
// What a key field shows: "A", "F11", "Space", "Volume Up", "None" for 0.
std::u16string KeyName(uint32_t key);
