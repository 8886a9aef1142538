#include "video/output_geometry.h"

#include <algorithm>
#include <utility>

#include "morvelant/decoded_picture.h"

namespace {

int16_t RaiseToEven(int32_t value) {
  return static_cast<int16_t>(value + (value & 1));
}

int16_t CentreIn(int32_t start, int32_t room, int32_t size) {
  return RaiseToEven(std::max(0, start + (room - size) / 2));
}

}  // namespace

OutputGeometry ComputeOutputGeometry(const GeometryInput& in) {
  int32_t w = static_cast<int16_t>(in.pictureWidth), h = static_cast<int16_t>(in.pictureHeight);
  if (in.rotate) std::swap(w, h);
  int32_t outWidth, outHeight;
  if (in.fullScreen) {
    if (2 * w > in.screenWidth) w = in.screenWidth >> 1;
    if (2 * h > in.screenHeight) h = in.screenHeight >> 1;
    outWidth = 2 * w;
    outHeight = 2 * h;
  } else {
    w = std::min(w, in.screenWidth);
    h = std::min(h, in.screenHeight);
    outWidth = w;
    outHeight = h;
  }
  const ViewportRect& port = in.viewport;
  const bool fits =
      outHeight <= port.height && (outWidth <= port.width || port.width >= in.screenWidth);
  OutputGeometry g;
  g.originRow = in.previousRow;
  g.originColumn = in.previousColumn;
  if (fits) {
    g.originRow = CentreIn(port.top, port.height, outHeight);
    g.originColumn = CentreIn(port.left, port.width, outWidth);
  } else if (in.hasVideo) {
    g.originRow = outHeight >= in.screenHeight ? 0 : CentreIn(0, in.screenHeight, outHeight);
    g.originColumn = outWidth >= in.screenWidth ? 0 : CentreIn(0, in.screenWidth, outWidth);
    g.takeover = true;
  }
  g.rowSkip = in.screenWidth - w;
  g.originOffset = g.originRow * in.screenWidth + g.originColumn;
  return g;
}

int32_t OutputKindFor(int32_t purpose, bool rotate, bool fullScreen) {
  const bool screen = purpose <= 0;
  int32_t kind = OUTPUT_UPRIGHT;
  if (fullScreen && screen) kind = OUTPUT_UPRIGHT_DOUBLE;
  if (rotate) kind = OUTPUT_ROTATED;
  if (rotate && fullScreen && screen) kind = OUTPUT_ROTATED_DOUBLE;
  return kind;
}

Blitter BlitterForKind(int32_t kind, bool altRotation) {
  switch (kind) {
    case OUTPUT_UPRIGHT:
      return BlitUpright;
    case OUTPUT_UPRIGHT_DOUBLE:
      return BlitUprightDouble;
    case OUTPUT_ROTATED:
      return altRotation ? BlitRotatedAlt : BlitRotated;
    case OUTPUT_ROTATED_DOUBLE:
      return BlitRotatedDouble;
    default:
      return nullptr;
  }
}
