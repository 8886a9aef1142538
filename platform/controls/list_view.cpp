#include "platform/controls/list_view.h"

#include <algorithm>
#include <vector>

#include "platform/controls/control_host.h"
#include "platform/controls/dialog_modal_loop.h"
#include "platform/controls/dialog_scroll_bar.h"
#include "platform/controls/dialog_style.h"
#include "platform/virtual_keys.h"

namespace {

constexpr int32_t kEdge = 2;  // the sunken client edge
constexpr int32_t kRowPadding = 2;
constexpr int32_t kTextIndent = 2;

struct ListView {
  uintptr_t id;
  std::vector<std::u16string> rows;
  int32_t selected = -1, focused = -1;
  int32_t columnWidth = 0;  // 0: as wide as the view
  bool fullRowSelect = false;
  FontHandle font = nullptr;
  uint32_t background = kFieldColor, textBackground = kFieldColor, text = kTextColor;
  ScrollBar scroll;  // client coordinates; `top` is the first row in view
};

ListView* StateOf(WindowHandle view) {
  return static_cast<ListView*>(GetWindowData(view));
}

int32_t RowHeight(const ListView& list) {
  DeviceContextHandle dc = GetDC(nullptr);
  SelectFont(dc, list.font);
  const int32_t height = GetTextMetrics(dc).height + kRowPadding;
  ReleaseDC(nullptr, dc);
  return std::max(1, height);
}

Rect ClientRect(WindowHandle view) {
  const Rect bounds = GetWindowRect(view);
  return {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

// Brings the scroll bar's geometry up to date with the size, the rows and the font.
void Lay(WindowHandle view, ListView* list) {
  const Rect client = ClientRect(view);
  list->scroll.rect = {client.right - kEdge - kScrollBarWidth, client.top + kEdge,
                       client.right - kEdge, client.bottom - kEdge};
  list->scroll.total = static_cast<int32_t>(list->rows.size());
  list->scroll.visible = std::max(1, (client.bottom - client.top - 2 * kEdge) / RowHeight(*list));
  list->scroll.top = ClampScrollTop(list->scroll, list->scroll.top);
}

Rect RowsRect(WindowHandle view, const ListView& list) {
  const Rect client = ClientRect(view);
  const int32_t right = ScrollBarNeeded(list.scroll) ? list.scroll.rect.left : client.right - kEdge;
  return {client.left + kEdge, client.top + kEdge, right, client.bottom - kEdge};
}

void DrawRow(DeviceContextHandle dc, const ListView& list, const Rect& rowsRect, int32_t row,
             int32_t top, int32_t height) {
  const bool selected = row == list.selected;
  const int32_t columnRight = list.columnWidth > 0
                                  ? std::min(rowsRect.right, rowsRect.left + list.columnWidth)
                                  : rowsRect.right;
  const std::u16string& text = list.rows[static_cast<size_t>(row)];
  const int32_t textRight =
      std::min(columnRight, rowsRect.left + kTextIndent * 2 + GetTextExtent(dc, text).cx);
  const Rect highlight{rowsRect.left, top, list.fullRowSelect ? rowsRect.right : textRight,
                       top + height};
  FillRect(dc, {rowsRect.left, top, textRight, top + height}, list.textBackground);
  if (selected) FillRect(dc, highlight, kHighlightColor);
  DrawLabel(dc, text, {rowsRect.left + kTextIndent, top, columnRight, top + height},
            DT_LEFT | DT_VCENTER, selected ? kHighlightTextColor : list.text);
}

void OnPaint(WindowHandle view) {
  PaintInfo paint;
  DeviceContextHandle dc = BeginPaint(view, &paint);
  ListView& list = *StateOf(view);
  Lay(view, &list);
  SelectFont(dc, list.font);
  FillRect(dc, paint.paint, list.background);
  DrawSunkenFrame(dc, paint.paint);
  const Rect rows = RowsRect(view, list);
  const int32_t height = RowHeight(list);
  const int32_t last = std::min<int32_t>(static_cast<int32_t>(list.rows.size()),
                                         list.scroll.top + list.scroll.visible);
  for (int32_t row = list.scroll.top; row < last; ++row)
    DrawRow(dc, list, rows, row, rows.top + (row - list.scroll.top) * height, height);
  if (ScrollBarNeeded(list.scroll)) DrawScrollBar(dc, list.scroll);
  SelectFont(dc, nullptr);
  EndPaint(view, &paint);
}

void Repaint(WindowHandle view) {
  if (IsWindowVisible(view)) RedrawWindow(view);
}

void NotifyClick(WindowHandle view, int32_t item) {
  ListViewClick click{.header = {.from = view, .id = StateOf(view)->id, .code = NM_CLICK},
                      .item = item};
  SendMessage(GetParent(view), WM_NOTIFY, click.header.id, reinterpret_cast<intptr_t>(&click));
}

void OnPen(WindowHandle view, uint32_t message, intptr_t lParam) {
  ListView& list = *StateOf(view);
  Lay(view, &list);
  const int32_t x = PenX(lParam), y = PenY(lParam), top = list.scroll.top;
  if (ScrollBarPen(&list.scroll, message, x, y)) {
    if (list.scroll.top != top) Repaint(view);
    return;
  }
  if (message != WM_LBUTTONDOWN) return;
  SetFocus(view);
  const int32_t offset = y - RowsRect(view, list).top;
  const int32_t row = offset < 0 ? -1 : list.scroll.top + offset / RowHeight(list);
  if (row < 0 || row >= static_cast<int32_t>(list.rows.size())) {
    NotifyClick(view, -1);
    return;
  }
  ListViewSetRowState(view, row, true, true);
  NotifyClick(view, row);
}

// Up and Down move the selection while nothing else has taken the view's keys.
void OnKey(WindowHandle view, uintptr_t key) {
  ListView& list = *StateOf(view);
  if ((key != VK_UP && key != VK_DOWN) || list.rows.empty()) return;
  const int32_t step = key == VK_UP ? -1 : 1;
  const int32_t row =
      std::clamp(list.focused + step, 0, static_cast<int32_t>(list.rows.size()) - 1);
  ListViewSetRowState(view, row, true, true);
  ListViewEnsureVisible(view, row);
}

// The parent paints what the view uncovered (and its controls again on top).
void InvalidateParent(WindowHandle view) {
  if (WindowHandle parent = GetParent(view)) InvalidateWindow(parent, true);
}

intptr_t ListViewProc(WindowHandle view, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint(view);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      OnPen(view, message, lParam);
      return 0;
    case WM_KEYDOWN:
      OnKey(view, wParam);
      return 0;
    case WM_DESTROY:
      InvalidateParent(view);
      UnhostControl(view);
      delete StateOf(view);
      SetWindowData(view, nullptr);
      return 0;
  }
  return DefWindowProc(view, message, wParam, lParam);
}

}  // namespace

WindowHandle CreateListView(const ListViewDescription& description) {
  if (!IsWindow(description.parent)) return nullptr;
  WindowHandle view = CreateWindow({.className = u"SysListView32",
                                    .procedure = ListViewProc,
                                    .parent = description.parent,
                                    .bounds = description.bounds,
                                    .visible = description.visible});
  SetWindowData(view, new ListView{.id = description.id});
  HostControl(view, false);
  if (description.visible) InvalidateWindow(view, true);
  return view;
}

void ListViewSetColumnWidth(WindowHandle view, int32_t width) {
  StateOf(view)->columnWidth = width;
  Repaint(view);
}

void ListViewSetFullRowSelect(WindowHandle view, bool on) {
  StateOf(view)->fullRowSelect = on;
  Repaint(view);
}

int32_t ListViewAppendRow(WindowHandle view, std::u16string_view text) {
  ListView& list = *StateOf(view);
  list.rows.emplace_back(text);
  InvalidateWindow(view, true);
  return static_cast<int32_t>(list.rows.size()) - 1;
}

void ListViewDeleteAllRows(WindowHandle view) {
  ListView& list = *StateOf(view);
  list.rows.clear();
  list.selected = list.focused = -1;
  list.scroll.top = 0;
  InvalidateWindow(view, true);
}

int32_t ListViewRowCount(WindowHandle view) {
  return static_cast<int32_t>(StateOf(view)->rows.size());
}

std::u16string ListViewRowText(WindowHandle view, int32_t row) {
  const ListView& list = *StateOf(view);
  return row >= 0 && row < static_cast<int32_t>(list.rows.size())
             ? list.rows[static_cast<size_t>(row)]
             : std::u16string();
}

void ListViewSetRowState(WindowHandle view, int32_t row, bool selected, bool focused) {
  ListView& list = *StateOf(view);
  if (row < 0 || row >= static_cast<int32_t>(list.rows.size())) return;
  if (selected)
    list.selected = row;
  else if (list.selected == row)
    list.selected = -1;
  if (focused)
    list.focused = row;
  else if (list.focused == row)
    list.focused = -1;
  Repaint(view);
}

int32_t ListViewSelectedRow(WindowHandle view) {
  return StateOf(view)->selected;
}

int32_t ListViewFocusedRow(WindowHandle view) {
  return StateOf(view)->focused;
}

void ListViewEnsureVisible(WindowHandle view, int32_t row) {
  ListView& list = *StateOf(view);
  Lay(view, &list);
  if (row < 0 || row >= list.scroll.total) return;
  if (row < list.scroll.top) list.scroll.top = row;
  if (row >= list.scroll.top + list.scroll.visible) list.scroll.top = row - list.scroll.visible + 1;
  Repaint(view);
}

int32_t ListViewTopRow(WindowHandle view) {
  ListView& list = *StateOf(view);
  Lay(view, &list);
  return list.scroll.top;
}

int32_t ListViewVisibleRows(WindowHandle view) {
  ListView& list = *StateOf(view);
  Lay(view, &list);
  return list.scroll.visible;
}

int32_t ListViewRowHeight(WindowHandle view) {
  return RowHeight(*StateOf(view));
}

void ListViewSetFont(WindowHandle view, FontHandle font, bool redraw) {
  StateOf(view)->font = font;
  if (redraw) Repaint(view);
}

void ListViewSetBackgroundColor(WindowHandle view, uint32_t color) {
  StateOf(view)->background = color;
  InvalidateWindow(view, true);
}

void ListViewSetTextBackgroundColor(WindowHandle view, uint32_t color) {
  StateOf(view)->textBackground = color;
  InvalidateWindow(view, true);
}

void ListViewSetTextColor(WindowHandle view, uint32_t color) {
  StateOf(view)->text = color;
  InvalidateWindow(view, true);
}

void ListViewShow(WindowHandle view, bool visible) {
  if (IsWindowVisible(view) == visible) return;
  ShowWindow(view, visible);
  if (!visible) InvalidateParent(view);
}

void ListViewMove(WindowHandle view, const Rect& bounds, bool repaint) {
  MoveWindow(view, bounds);
  if (repaint && IsWindowVisible(view)) InvalidateParent(view);
}
