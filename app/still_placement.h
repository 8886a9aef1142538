// Where the paint handler draws a still or cover picture inside the ViewPort: a pure function of
// the picture's size, the ViewPort and the full-screen setting.
#pragma once

#include <cstdint>

struct ViewPortBox {
  int32_t left, top, width, height;
};

struct StillPlacement {
  int32_t x, y, width, height;
  bool stretched;  // drawn at a size other than the picture's
};

// Too large a picture is scaled down to fit, keeping its shape; with fullScreen a picture with
// strictly more than twice its size of room is doubled; otherwise it is centred unscaled, one
// row lower when its top would fall on an odd row.
StillPlacement PlaceStill(int32_t width, int32_t height, const ViewPortBox& viewPort,
                          bool fullScreen);
