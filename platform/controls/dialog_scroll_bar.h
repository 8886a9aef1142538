// The vertical scroll bar of list views, dialogs and the file chooser: an arrow at each end, a
// track and a thumb sized to the share of rows in view. Usable by pen: an arrow moves one
// row, the track a page, the thumb follows the pen. Main thread.
#pragma once

#include <cstdint>

#include "platform/drawing.h"

struct ScrollBar {
  Rect rect{};              // in the coordinates of the device context and the pen messages given
  int32_t total = 0;        // rows in all
  int32_t visible = 1;      // rows in view
  int32_t top = 0;          // first row in view
  int32_t dragOffset = -1;  // the pen's distance from the thumb's top while it drags it
};

// Shown only when the rows do not all fit.
bool ScrollBarNeeded(const ScrollBar& bar);
// `top` limited to 0..total - visible.
int32_t ClampScrollTop(const ScrollBar& bar, int32_t top);
void DrawScrollBar(DeviceContextHandle dc, const ScrollBar& bar);
// A pen message; true when the bar took it (a press on it, or the drag it started). `top`
// then holds the new first row.
bool ScrollBarPen(ScrollBar* bar, uint32_t message, int32_t x, int32_t y);
