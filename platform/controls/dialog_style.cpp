#include "platform/controls/dialog_style.h"

namespace {

constexpr int32_t kArrowHalfWidth = 4;

void DrawEdges(DeviceContextHandle dc, const Rect& r, uint32_t topLeft, uint32_t bottomRight) {
  FillRect(dc, {r.left, r.top, r.right, r.top + 1}, topLeft);
  FillRect(dc, {r.left, r.top, r.left + 1, r.bottom}, topLeft);
  FillRect(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  FillRect(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

}  // namespace

void DrawRaisedFrame(DeviceContextHandle dc, const Rect& rect) {
  DrawEdges(dc, rect, kLightColor, kDarkColor);
  DrawEdges(dc, {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, kFaceColor,
            kShadowColor);
}

void DrawSunkenFrame(DeviceContextHandle dc, const Rect& rect) {
  DrawEdges(dc, rect, kShadowColor, kLightColor);
  DrawEdges(dc, {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, kDarkColor,
            kFaceColor);
}

void DrawLabel(DeviceContextHandle dc, std::u16string_view text, Rect rect, uint32_t format,
               uint32_t color) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  DrawText(dc, text, &rect, format | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawCheckMark(DeviceContextHandle dc, int32_t x, int32_t y, uint32_t color) {
  // Two strokes, three pixels thick: down-right for three columns, then up-right for four.
  for (int32_t i = 0; i < 3; ++i) FillRect(dc, {x + i, y + 4 + i, x + i + 1, y + 7 + i}, color);
  for (int32_t i = 0; i < 5; ++i) FillRect(dc, {x + 3 + i, y + 5 - i, x + 4 + i, y + 8 - i}, color);
}

void DrawArrow(DeviceContextHandle dc, const Rect& rect, ArrowDirection direction, uint32_t color) {
  const int32_t cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
  for (int32_t i = 0; i < kArrowHalfWidth; ++i) {
    const int32_t half = i;  // the row or column i steps from the tip is 2i + 1 long
    switch (direction) {
      case ArrowDirection::Up:
        FillRect(dc, {cx - half, cy - 2 + i, cx + half + 1, cy - 1 + i}, color);
        break;
      case ArrowDirection::Down:
        FillRect(dc, {cx - half, cy + 2 - i, cx + half + 1, cy + 3 - i}, color);
        break;
      case ArrowDirection::Left:
        FillRect(dc, {cx - 2 + i, cy - half, cx - 1 + i, cy + half + 1}, color);
        break;
      case ArrowDirection::Right:
        FillRect(dc, {cx + 2 - i, cy - half, cx + 3 - i, cy + half + 1}, color);
        break;
    }
  }
}

bool RectContains(const Rect& rect, int32_t x, int32_t y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}
