// Where the picture lies on the screen and which blitter draws it: pure calculations from the
// picture size, the display options, the screen and the skin's viewport.
#pragma once

#include <cstdint>

#include "video/blitter.h"

struct ViewportRect {
  int32_t left = 0, top = 0, width = 0, height = 0;
};

struct GeometryInput {
  int32_t pictureWidth = 0, pictureHeight = 0;
  bool rotate = false, fullScreen = false;
  bool hasVideo = false;  // FrameCount is not 0
  int32_t screenWidth = 0, screenHeight = 0;
  ViewportRect viewport;
  int16_t previousRow = 0, previousColumn = 0;  // kept when a still picture does not fit
};

struct OutputGeometry {
  int16_t originRow = 0, originColumn = 0;
  int32_t originOffset = 0;  // pixels from the frame buffer's first pixel
  int32_t rowSkip = 0;       // screen pitch minus the source columns per row
  bool takeover = false;     // the picture does not fit the viewport: it owns the screen
};

OutputGeometry ComputeOutputGeometry(const GeometryInput& input);

// The output kind for a purpose: 0 an item opening, > 0 a still picture, < 0 the screen. A still
// is never doubled.
int32_t OutputKindFor(int32_t purpose, bool rotate, bool fullScreen);
// The blitter of an output kind (5, 7, 8, 9), or null for any other kind.
Blitter BlitterForKind(int32_t kind, bool altRotation);
