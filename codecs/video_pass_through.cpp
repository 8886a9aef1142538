#include "codecs/video_pass_through.h"

#include <cstring>

int32_t VideoPassThroughInit(int32_t, int32_t, void*, int32_t) {
  return 0;
}

int32_t VideoPassThroughFrame(const uint8_t* packet, int32_t size, DecodedPicture* picture,
                              int32_t) {
  if (size < DECODED_PICTURE_SIZE) return 0;
  std::memcpy(picture, packet, DECODED_PICTURE_SIZE);
  return 1;
}
