// Inside the platform layer: the decoders behind DecompressImageIndirect. Each takes the whole
// file and gives 8-bit RGB rows top to bottom, or false when the bytes do not decode.
#pragma once

#include <cstdint>
#include <vector>

struct RgbPicture {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes per pixel
};

bool DecodeJpeg(const std::vector<uint8_t>& file, RgbPicture* picture);
bool DecodePng(const std::vector<uint8_t>& file, RgbPicture* picture);
bool DecodeBmp(const std::vector<uint8_t>& file, RgbPicture* picture);
bool DecodeGif(const std::vector<uint8_t>& file, RgbPicture* picture);
