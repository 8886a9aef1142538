#include "platform/screen_save.h"

#include <algorithm>

#include "platform/screen.h"

namespace {

Rect ClipToScreen(const Rect& rect) {
  return {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, ScreenWidth()),
          std::min(rect.bottom, ScreenHeight())};
}

}  // namespace

SavedPixels SaveScreenRect(const Rect& rect) {
  SavedPixels saved{.rect = ClipToScreen(rect)};
  const ScreenHold hold;
  const uint16_t* screen = ScreenPixels();
  const int32_t pitch = ScreenWidth();
  for (int32_t y = saved.rect.top; y < saved.rect.bottom; ++y)
    saved.pixels.insert(saved.pixels.end(), screen + y * pitch + saved.rect.left,
                        screen + y * pitch + std::max(saved.rect.left, saved.rect.right));
  return saved;
}

void RestoreScreenRect(const SavedPixels& saved) {
  const int32_t pitch = ScreenWidth(), width = saved.rect.right - saved.rect.left;
  if (width <= 0) return;
  const ScreenHold hold;
  uint16_t* screen = ScreenPixels();
  const uint16_t* from = saved.pixels.data();
  for (int32_t y = saved.rect.top; y < saved.rect.bottom; ++y, from += width)
    std::copy_n(from, width, screen + y * pitch + saved.rect.left);
  PresentScreen();
}
