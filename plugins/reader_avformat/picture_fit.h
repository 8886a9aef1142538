// The picture size a reader announces: the stream's own, or, when it is larger than the
// largest picture the reader parameter allows, the largest size within it that keeps the
// aspect ratio (even, for 4:2:0 planes). The video plug-in scales each picture to it.
#pragma once

#include <cstdint>

struct PictureSize {
  int32_t width, height;
};

// The reader parameter (`readerParameter` of the settings) holds the largest picture as
// width << 16 | height; 0 means 640 by 480, a screen the player fills without warnings.
PictureSize LargestPicture(int32_t parameter);
PictureSize FitPicture(PictureSize stream, PictureSize largest);
