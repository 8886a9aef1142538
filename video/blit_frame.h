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

// The reference implementation's kernels, which the vector paths reuse where a serial chain
// leaves nothing to vectorise.
namespace reference {
void BlitUpright(const BlitFrame& f);
void DitherUpright(const BlitFrame& f);
void BlitUprightDouble(const BlitFrame& f);
void DitherUprightDouble(const BlitFrame& f);
void BlitRotated(const BlitFrame& f);
void DitherRotated(const BlitFrame& f);
void BlitRotatedAlt(const BlitFrame& f);
void DitherRotatedAlt(const BlitFrame& f);
void BlitRotatedDouble(const BlitFrame& f);
void DitherRotatedDouble(const BlitFrame& f);
}  // namespace reference

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

// The compare rule's tests against the previous frame.
static inline bool LumaUnchanged(const BlitFrame& f, int32_t x, int32_t y) {
  const ptrdiff_t i = LumaIndex(f, x, y);
  return f.luma[i] == f.previousLuma[i];
}
static inline bool ChromaUnchanged(const BlitFrame& f, int32_t x, int32_t y) {
  const ptrdiff_t c = ChromaIndex(f, x, y);
  return f.cr[c] == f.previousCr[c] && f.cb[c] == f.previousCb[c];
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

// The doubled blitters' lines are twice as long; a row skip too small for that would make them
// overlap, so the pitch is at least the doubled line. The player's own row skip (screen pitch
// minus the source columns) always leaves room.
static inline ptrdiff_t DoubledLinePitch(const BlitFrame& f, int32_t pixelsPerLine) {
  const ptrdiff_t pitch = LinePitch(f, pixelsPerLine);
  return pitch > 2 * pixelsPerLine ? pitch : 2 * static_cast<ptrdiff_t>(pixelsPerLine);
}

// The 2 by 2 block walks cover whole blocks only.
static inline int32_t EvenPart(int32_t n) {
  return n & ~1;
}

// Rotated 1:1: source column x of a picture `width` columns wide goes to line width - 1 - x.
static inline ptrdiff_t RotatedOffset(const BlitFrame& f, int32_t width, int32_t x,
                                      int32_t column) {
  return static_cast<ptrdiff_t>(width - 1 - x) * LinePitch(f, f.height) + column;
}

// Rotated doubled: source (x, y) covers lines 2 (w - 1 - x) and the one below, columns 2y and
// 2y + 1.
static inline ptrdiff_t RotatedDoubleOffset(const BlitFrame& f, ptrdiff_t pitch, int32_t x,
                                            int32_t y) {
  return 2 * static_cast<ptrdiff_t>(f.width - 1 - x) * pitch + 2 * y;
}

// Row pairs of the strip walk: the last pair is left out, so the next chroma row that odd rows
// take always exists.
static inline int32_t AltRowPairs(int32_t height) {
  return height >= 3 ? (height - 3) / 2 + 1 : 0;
}
