// Inside the platform layer: the decoders behind DecompressImageIndirect. Each takes the whole
// file and gives 8-bit RGB rows top to bottom, or false when the bytes do not decode.
//
// Limits. Skin images and cover pictures never need more than a few screens' worth, so a
// picture is refused, before anything is allocated for it, when its declared size exceeds
// kMaxImageSide on a side, or kMaxImagePixels once decoded (a JPEG is first reduced while
// decoding, by 1/2, 1/4 or 1/8, as far as it still covers the requested size).
#pragma once

#include <cstdint>
#include <vector>

constexpr int64_t kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = int64_t{16} << 20;
constexpr size_t kMaxImageFileBytes = size_t{64} << 20;

// Both sides positive and within the limits above.
bool ImageSizeAllowed(int64_t width, int64_t height);

// The size the caller will show the picture at, at most (0: any); decoders that can reduce
// while decoding stop at the first reduction that still covers it.
struct ImageFit {
  int32_t width = 0, height = 0;
};

struct RgbPicture {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes per pixel
};

bool DecodeJpeg(const std::vector<uint8_t>& file, const ImageFit& fit, RgbPicture* picture);
bool DecodePng(const std::vector<uint8_t>& file, const ImageFit& fit, RgbPicture* picture);
bool DecodeBmp(const std::vector<uint8_t>& file, const ImageFit& fit, RgbPicture* picture);
bool DecodeGif(const std::vector<uint8_t>& file, const ImageFit& fit, RgbPicture* picture);
