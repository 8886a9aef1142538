// What the blitters hand their implementations after cropping: one record per call, and the
// table of kernels each implementation (scalar reference, SSE2, AVX2, NEON) provides. Helpers
// have internal linkage for the reason given in colour_conversion.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct BlitFrame {
  const uint8_t* luma;
  const uint8_t* cr;
  const uint8_t* cb;
  const uint8_t* previousLuma;
  const uint8_t* previousCr;
  const uint8_t* previousCb;
  int32_t lumaStride;
  int32_t chromaStride;
  uint16_t* destination;
  int32_t width;       // cropped source columns
  int32_t height;      // cropped source rows
  int32_t rowSkip;     // pixels, never negative
  int32_t brightness;  // limited, see LimitBrightness
  bool compare;        // previous planes are present
};

using BlitKernel = void (*)(const BlitFrame& frame);

struct BlitKernels {
  BlitKernel blitUpright;
  BlitKernel ditherUpright;
  BlitKernel blitUprightDouble;
  BlitKernel ditherUprightDouble;
  BlitKernel blitRotated;
  BlitKernel ditherRotated;
  BlitKernel blitRotatedAlt;
  BlitKernel ditherRotatedAlt;
  BlitKernel blitRotatedDouble;
  BlitKernel ditherRotatedDouble;
};

extern const BlitKernels referenceKernels;
extern const BlitKernels sse2Kernels;
extern const BlitKernels avx2Kernels;
extern const BlitKernels neonKernels;

// The kernels of the current blit path.
const BlitKernels& ActiveKernels();

// Strips of the alternative rotated walk, in source columns.
constexpr int32_t kAltStripColumns = 64;
// The doubled rotated worker starts each source row with these carried errors.
constexpr int32_t kRotatedDoubleStartError = 6;

static inline ptrdiff_t LumaIndex(const BlitFrame& f, int32_t x, int32_t y) {
  return static_cast<ptrdiff_t>(y) * f.lumaStride + x;
}
// The chroma pair of luma sample (x, y).
static inline ptrdiff_t ChromaIndex(const BlitFrame& f, int32_t x, int32_t y) {
  return static_cast<ptrdiff_t>(y / 2) * f.chromaStride + x / 2;
}

// Two horizontally adjacent output pixels in one 32-bit store, the left one in the low half.
static inline void StorePair(uint16_t* destination, ptrdiff_t offset, uint16_t left,
                             uint16_t right) {
  const uint32_t word = left | static_cast<uint32_t>(right) << 16;
  std::memcpy(destination + offset, &word, sizeof word);
}

// Pixels from one output line to the next: the drawn source columns (upright) or rows (rotated)
// plus the row skip.
static inline ptrdiff_t LinePitch(const BlitFrame& f, int32_t pixelsPerLine) {
  return static_cast<ptrdiff_t>(pixelsPerLine) + f.rowSkip;
}
