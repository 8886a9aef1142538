#include "platform/controls/dialog_scroll_bar.h"

#include <algorithm>

#include "platform/controls/dialog_style.h"

namespace {

constexpr int32_t kMinThumbHeight = 8;

int32_t ArrowHeight(const ScrollBar& bar) {
  return std::min(bar.rect.right - bar.rect.left, (bar.rect.bottom - bar.rect.top) / 3);
}

Rect UpArrow(const ScrollBar& bar) {
  return {bar.rect.left, bar.rect.top, bar.rect.right, bar.rect.top + ArrowHeight(bar)};
}

Rect DownArrow(const ScrollBar& bar) {
  return {bar.rect.left, bar.rect.bottom - ArrowHeight(bar), bar.rect.right, bar.rect.bottom};
}

Rect Track(const ScrollBar& bar) {
  return {bar.rect.left, UpArrow(bar).bottom, bar.rect.right, DownArrow(bar).top};
}

int32_t Scrollable(const ScrollBar& bar) {
  return std::max(0, bar.total - bar.visible);
}

Rect Thumb(const ScrollBar& bar) {
  const Rect track = Track(bar);
  const int32_t length = track.bottom - track.top;
  const int32_t height =
      std::clamp(length * bar.visible / std::max(1, bar.total), kMinThumbHeight, length);
  const int32_t travel = length - height;
  const int32_t offset = Scrollable(bar) == 0 ? 0 : travel * bar.top / Scrollable(bar);
  return {track.left, track.top + offset, track.right, track.top + offset + height};
}

// The first row that puts the thumb's top at `thumbTop`, to the nearest row.
int32_t TopForThumb(const ScrollBar& bar, int32_t thumbTop) {
  const Rect track = Track(bar), thumb = Thumb(bar);
  const int32_t travel = (track.bottom - track.top) - (thumb.bottom - thumb.top);
  if (travel <= 0) return 0;
  return ClampScrollTop(bar, ((thumbTop - track.top) * Scrollable(bar) + travel / 2) / travel);
}

void OnPress(ScrollBar* bar, int32_t y) {
  const Rect thumb = Thumb(*bar);
  if (y < UpArrow(*bar).bottom)
    bar->top = ClampScrollTop(*bar, bar->top - 1);
  else if (y >= DownArrow(*bar).top)
    bar->top = ClampScrollTop(*bar, bar->top + 1);
  else if (y < thumb.top)
    bar->top = ClampScrollTop(*bar, bar->top - bar->visible);
  else if (y >= thumb.bottom)
    bar->top = ClampScrollTop(*bar, bar->top + bar->visible);
  else
    bar->dragOffset = y - thumb.top;
}

}  // namespace

bool ScrollBarNeeded(const ScrollBar& bar) {
  return bar.total > bar.visible;
}

int32_t ClampScrollTop(const ScrollBar& bar, int32_t top) {
  return std::clamp(top, 0, Scrollable(bar));
}

void DrawScrollBar(DeviceContextHandle dc, const ScrollBar& bar) {
  FillRect(dc, bar.rect, kLightColor);
  for (const Rect& arrow : {UpArrow(bar), DownArrow(bar)}) {
    FillRect(dc, arrow, kFaceColor);
    DrawRaisedFrame(dc, arrow);
  }
  DrawArrow(dc, UpArrow(bar), ArrowDirection::Up, kTextColor);
  DrawArrow(dc, DownArrow(bar), ArrowDirection::Down, kTextColor);
  const Rect thumb = Thumb(bar);
  FillRect(dc, thumb, kFaceColor);
  DrawRaisedFrame(dc, thumb);
}

bool ScrollBarPen(ScrollBar* bar, uint32_t message, int32_t x, int32_t y) {
  if (bar->dragOffset >= 0) {
    bar->top = TopForThumb(*bar, y - bar->dragOffset);
    if (message == WM_LBUTTONUP) bar->dragOffset = -1;
    return true;
  }
  if (message != WM_LBUTTONDOWN || !ScrollBarNeeded(*bar) || !RectContains(bar->rect, x, y))
    return false;
  OnPress(bar, y);
  return true;
}
