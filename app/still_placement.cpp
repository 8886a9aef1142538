#include "app/still_placement.h"

#include <algorithm>

StillPlacement PlaceStill(int32_t width, int32_t height, const ViewPortBox& viewPort,
                          bool fullScreen) {
  if (width > viewPort.width || height > viewPort.height) {
    const float byWidth = static_cast<float>(viewPort.width) / static_cast<float>(width);
    const float byHeight = static_cast<float>(viewPort.height) / static_cast<float>(height);
    const float scale = std::min(byWidth, byHeight);
    // The side that sets the scale fills the viewport exactly: the float product can fall a
    // hair short of it, and truncating would leave a one-pixel gap of background.
    const int32_t scaledWidth = byWidth <= byHeight
                                    ? viewPort.width
                                    : static_cast<int32_t>(scale * static_cast<float>(width));
    const int32_t scaledHeight = byHeight <= byWidth
                                     ? viewPort.height
                                     : static_cast<int32_t>(scale * static_cast<float>(height));
    return {viewPort.left + (viewPort.width - scaledWidth) / 2,
            viewPort.top + (viewPort.height - scaledHeight) / 2, scaledWidth, scaledHeight, true};
  }
  if (fullScreen && 2 * width < viewPort.width && 2 * height < viewPort.height)
    return {viewPort.left + (viewPort.width - 2 * width) / 2,
            viewPort.top + (viewPort.height - 2 * height) / 2, 2 * width, 2 * height, true};
  int32_t y = viewPort.top + (viewPort.height - height) / 2;
  if (y % 2 != 0) ++y;
  return {viewPort.left + (viewPort.width - width) / 2, y, width, height, false};
}
