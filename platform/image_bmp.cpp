// BMP files by hand: uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, with bit-field masks
// for 16 and 32 bits, bottom-up or top-down. Compressed (RLE, JPEG, PNG) bitmaps are refused.
#include <bit>
#include <climits>
#include <cstring>

#include "platform/image_formats.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;

struct BmpLayout {
  int32_t width, height;
  bool topDown;
  uint32_t bits, compression, pixelsAt, paletteAt, paletteEntries, paletteStride;
  uint32_t masks[3];  // red, green, blue
};

uint32_t Le(const std::vector<uint8_t>& f, size_t at, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= uint32_t{f[at + i]} << (8 * i);
  return value;
}

// A masked channel widened to 8 bits.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const uint32_t value = (pixel & mask) >> std::countr_zero(mask);
  const uint32_t maximum = mask >> std::countr_zero(mask);
  return static_cast<uint8_t>(value * 255 / maximum);
}

bool ReadLayout(const std::vector<uint8_t>& f, BmpLayout* l) {
  if (f.size() < kFileHeaderSize + kCoreHeaderSize) return false;
  const uint32_t header = Le(f, 14, 4);
  l->pixelsAt = Le(f, 10, 4);
  if (header == kCoreHeaderSize) {
    *l = {.width = static_cast<int16_t>(Le(f, 18, 2)),
          .height = static_cast<int16_t>(Le(f, 20, 2)),
          .bits = Le(f, 24, 2),
          .compression = BI_RGB,
          .pixelsAt = l->pixelsAt,
          .paletteAt = 26,
          .paletteStride = 3};
  } else {
    if (header < kInfoHeaderSize || f.size() < kFileHeaderSize + kInfoHeaderSize) return false;
    *l = {.width = static_cast<int32_t>(Le(f, 18, 4)),
          .height = static_cast<int32_t>(Le(f, 22, 4)),
          .bits = Le(f, 28, 2),
          .compression = Le(f, 30, 4),
          .pixelsAt = l->pixelsAt,
          .paletteAt = static_cast<uint32_t>(kFileHeaderSize + header),
          .paletteStride = 4};
    l->paletteEntries = Le(f, 46, 4);
  }
  l->topDown = l->height < 0;
  // The most negative height has no positive twin: it is refused below, never negated.
  if (l->height < 0 && l->height != INT32_MIN) l->height = -l->height;
  if (l->bits <= 8 && l->paletteEntries == 0) l->paletteEntries = 1u << l->bits;
  const bool masked = l->compression == BI_BITFIELDS;
  if (masked && (l->bits == 16 || l->bits == 32)) {
    // The masks follow a 40-byte header, or sit inside a larger one at the same place.
    if (f.size() < 66) return false;
    for (int i = 0; i < 3; ++i) l->masks[i] = Le(f, 54 + 4 * i, 4);
    if (header == kInfoHeaderSize) l->paletteAt += 12;
  } else if (l->compression != BI_RGB) {
    return false;
  } else if (l->bits == 16) {
    l->masks[0] = 0x7C00, l->masks[1] = 0x03E0, l->masks[2] = 0x001F;
  } else {
    l->masks[0] = 0xFF0000, l->masks[1] = 0xFF00, l->masks[2] = 0xFF;
  }
  const bool knownDepth = l->bits == 1 || l->bits == 4 || l->bits == 8 || l->bits == 16 ||
                          l->bits == 24 || l->bits == 32;
  return knownDepth && ImageSizeAllowed(l->width, l->height);
}

void PutPixel(const std::vector<uint8_t>& f, const BmpLayout& l, const uint8_t* row, int32_t x,
              uint8_t* out) {
  if (l.bits <= 8) {
    const uint32_t perByte = 8 / l.bits;
    const uint32_t shift = 8 - l.bits * (1 + x % perByte);
    const uint32_t index = (row[x / perByte] >> shift) & ((1u << l.bits) - 1);
    const size_t entry = l.paletteAt + size_t{index} * l.paletteStride;
    if (index >= l.paletteEntries || entry + 3 > f.size()) return;  // stays black
    out[0] = f[entry + 2], out[1] = f[entry + 1], out[2] = f[entry];
    return;
  }
  const uint32_t bytes = l.bits / 8;
  uint32_t pixel = 0;
  for (uint32_t i = 0; i < bytes; ++i) pixel |= uint32_t{row[x * bytes + i]} << (8 * i);
  for (int c = 0; c < 3; ++c) out[c] = Channel(pixel, l.masks[c]);
}

}  // namespace

bool DecodeBmp(const std::vector<uint8_t>& f, const ImageFit&, RgbPicture* picture) {
  BmpLayout l{};
  if (!ReadLayout(f, &l)) return false;
  const size_t stride = (size_t{l.bits} * l.width + 31) / 32 * 4;
  if (l.pixelsAt > f.size() || (f.size() - l.pixelsAt) / stride < static_cast<size_t>(l.height))
    return false;
  picture->width = l.width;
  picture->height = l.height;
  picture->rgb.assign(size_t{1} * l.width * l.height * 3, 0);
  for (int32_t y = 0; y < l.height; ++y) {
    const int32_t fileRow = l.topDown ? y : l.height - 1 - y;
    const uint8_t* row = f.data() + l.pixelsAt + stride * fileRow;
    for (int32_t x = 0; x < l.width; ++x)
      PutPixel(f, l, row, x, &picture->rgb[(size_t{1} * y * l.width + x) * 3]);
  }
  return true;
}
