// Painting and the cursor.
#include <atomic>

#include "platform/backend_table.h"
#include "platform/drawing_internal.h"
#include "platform/screen.h"

namespace {

std::atomic<int32_t> currentCursor{IDC_ARROW};  // main thread writes; the backend reads

}  // namespace

DeviceContextHandle BeginPaint(WindowHandle window, PaintInfo* paint) {
  const bool erase = WindowNeedsErase(window);
  ValidateWindow(window);
  DeviceContextHandle dc = GetDC(window);
  const Rect bounds = GetWindowRect(window);
  if (erase) SendMessage(window, WM_ERASEBKGND, reinterpret_cast<uintptr_t>(dc), 0);
  if (paint)
    *paint = {.dc = dc,
              .erase = erase,
              .paint = {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top}};
  return dc;
}

void EndPaint(WindowHandle window, const PaintInfo* paint) {
  if (paint) ReleaseDC(window, paint->dc);
}

void RedrawWindow(WindowHandle window) {
  InvalidateWindow(window, true);
  SendMessage(window, WM_PAINT, 0, 0);
}

int32_t LoadCursor(int32_t id) {
  return id == IDC_ARROW || id == IDC_WAIT ? id : 0;
}

int32_t SetCursor(int32_t cursor) {
  const int32_t previous = currentCursor.exchange(cursor);
  if (previous != cursor) ActiveBackend().showCursor(cursor);
  return previous;
}
