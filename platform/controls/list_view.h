// The report-style list view (class "SysListView32"): one column of text rows without a header,
// a single selection that stays shown, optional full-row selection, a vertical scroll bar when
// the rows do not fit, and the font and colours its owner gives. A child window of the main
// window: it gets the pen through its parent (see control_host.h), takes the focus on a tap,
// and gets key messages while it has the focus. Its procedure can be replaced with
// SetWindowProc and the previous one called with CallWindowProc. Main thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/drawing.h"
#include "platform/window.h"

// The click notification: WM_NOTIFY to the parent, wParam the view's id, lParam a ListViewClick.
constexpr int32_t NM_CLICK = -2;

struct NotifyHeader {
  WindowHandle from;
  uintptr_t id;
  int32_t code;
};

struct ListViewClick {
  NotifyHeader header;
  int32_t item;  // the row tapped, -1 below the last row
};

struct ListViewDescription {
  WindowHandle parent = nullptr;
  Rect bounds{};  // screen pixels
  bool visible = false;
  uintptr_t id = 0;
};

// Null when the parent is not a window.
WindowHandle CreateListView(const ListViewDescription& description);
void ListViewSetColumnWidth(WindowHandle view, int32_t width);
void ListViewSetFullRowSelect(WindowHandle view, bool on);
// Returns the new row's index.
int32_t ListViewAppendRow(WindowHandle view, std::u16string_view text);
void ListViewDeleteAllRows(WindowHandle view);
int32_t ListViewRowCount(WindowHandle view);
std::u16string ListViewRowText(WindowHandle view, int32_t row);
// Selecting a row clears the selection of the others (single selection); the same for focus.
void ListViewSetRowState(WindowHandle view, int32_t row, bool selected, bool focused);
int32_t ListViewSelectedRow(WindowHandle view);  // -1 when none
int32_t ListViewFocusedRow(WindowHandle view);   // -1 when none
// Scrolls as little as needed to bring the row fully into view.
void ListViewEnsureVisible(WindowHandle view, int32_t row);
int32_t ListViewTopRow(WindowHandle view);
int32_t ListViewVisibleRows(WindowHandle view);
// The height of a row in the view's font.
int32_t ListViewRowHeight(WindowHandle view);
// The view does not own the font; null is the default font.
void ListViewSetFont(WindowHandle view, FontHandle font, bool redraw);
void ListViewSetBackgroundColor(WindowHandle view, uint32_t color);
void ListViewSetTextBackgroundColor(WindowHandle view, uint32_t color);
void ListViewSetTextColor(WindowHandle view, uint32_t color);
// Showing paints the view; hiding or moving repaints what it uncovered of its parent.
void ListViewShow(WindowHandle view, bool visible);
void ListViewMove(WindowHandle view, const Rect& bounds, bool repaint);
