// PNG files of 16-bit screen pixels (screenshots) and back (tests compare them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width x height pixels (pitch = width) as an 8-bit RGB PNG, atomically (a temporary
// file renamed into place). False when the file cannot be written.
bool WritePng(const std::string& path, const uint16_t* pixels, int32_t width, int32_t height);

struct RgbImage {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes per pixel, rows top to bottom
};
// Reads any PNG as 8-bit RGB (alpha dropped); false when it does not decode.
bool ReadPng(const std::string& path, RgbImage* image);
