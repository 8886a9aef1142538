// A modal dialog drawn on the screen: a title, rows of widgets that scroll when they do not
// fit, a status line and a row of buttons. Usable by pen (tap, drag a slider, the scroll bar)
// and by keys: Up, Down and Tab move the focus, Left and Right change a value, Enter and Space
// act on the focused widget (elsewhere Enter is OK), Escape cancels; typed characters go to the
// text field. A script's answer closes it too: "ok", "cancel", or name=value pairs (blanks or
// commas between) that set the named widgets and then act as OK. Each box is journaled as
// "dialog" with its name when it opens and "dialog-closed" with its result. Main thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/controls/dialog_widgets.h"

struct DialogBox {
  std::u16string title;
  std::string name;  // for the journal
  // The rows, then the buttons (WidgetKind::Button), which share the bottom row.
  std::vector<Widget> widgets;
  std::u16string status;  // a line above the buttons
  // Checked before OK closes the box; false keeps it open (with `status` saying why).
  std::function<bool(DialogBox&)> accept;
  // Reads a script's answer other than "ok" and "cancel"; false when it makes no sense.
  // Empty: name=value pairs.
  std::function<bool(DialogBox&, const std::string&)> answer;
  // A row widget was pressed or changed its value. A pressed one may replace the widgets (the
  // file chooser entering a folder), and then sets `focus` and `firstRow` afresh.
  std::function<void(DialogBox&, size_t index, WidgetAction action)> rowAction;
  // While it runs: the focused widget and the first row in view.
  size_t focus = 0;
  int32_t firstRow = 0;
};

constexpr int32_t kDialogRowHeight = 24;

// Shows the box until a button ends it; returns that button's result (IDCANCEL for Escape, a
// cancelled answer or a quit message).
int32_t RunDialogBox(DialogBox* box);
Widget* FindWidget(DialogBox* box, std::string_view name);
// The screen rectangles of widget `index` and of the box, as the box lays them out now (for a
// widget in a row scrolled out of view: empty).
Rect DialogWidgetRect(const DialogBox& box, size_t index);
Rect DialogBoxRect(const DialogBox& box);
// name=value pairs into the named widgets; false for an unknown name or a bad value.
bool SetWidgetsFromAnswer(DialogBox* box, const std::string& answer);
