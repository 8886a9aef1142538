// Inside the platform layer: what a device context draws on, shared by the drawing files.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/drawing.h"

struct Bitmap {
  int32_t width = 0, height = 0;
  uint16_t* bits = nullptr;       // own storage or the caller's buffer
  std::vector<uint16_t> storage;  // empty for a bitmap over a caller's buffer
};

// Pixels a context draws on, in the context's own coordinates: (originX, originY) of the
// surface is the context's (0, 0); only `clip` (in surface coordinates) is drawable.
struct DrawTarget {
  uint16_t* bits = nullptr;
  int32_t pitch = 0;
  int32_t originX = 0, originY = 0;
  Rect clip{};
};

struct DeviceContext {
  WindowHandle window = nullptr;  // null for the screen and memory contexts
  bool memory = false;
  BitmapHandle bitmap = nullptr;  // memory contexts
  std::unique_ptr<Bitmap> defaultBitmap;
  FontHandle font = nullptr;
  uint32_t textColor = 0;
  uint32_t backgroundColor = 0xFFFFFF;
  int32_t backgroundMode = OPAQUE;
};

DrawTarget TargetOf(DeviceContextHandle dc);
// A window or screen context: its pixels are the screen the video frames go to.
inline bool OnScreen(DeviceContextHandle dc) {
  return dc && !dc->memory;
}
Rect Intersect(const Rect& a, const Rect& b);
inline bool IsEmpty(const Rect& r) {
  return r.right <= r.left || r.bottom <= r.top;
}
