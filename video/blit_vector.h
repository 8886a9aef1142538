// The vector blit kernels, written once over a small set of register operations that each
// instruction set file (SSE2, AVX2, NEON) supplies as a struct V. Included only by those files;
// all of it has internal linkage, so every function stays inside the file built for its
// instruction set (a shared inline copy could hand AVX2 code to the SSE2 path).
//
// The exact conversion's products do not fit in 16 bits, so every product of a 16-bit sample and
// a factor is kept as q * 8192 + r with 0 <= r < 8192, both in 16 bits, from the low and high
// halves of the 32-bit product. A channel's floor((L + C) / 8192) is then qL + qC plus the carry
// (rL + rC) >> 13, all in 16-bit lanes, and a saturating pack to unsigned bytes does the clamp.
//
// V provides, with kPixels pixels per step held as two registers A and B of kPixels / 2 lanes:
//   Reg; kPixels; Set8, Set16;
//   LoadLuma(p, a, b) (unsigned bytes to 16 bits), LoadChroma(p) (kPixels / 2 bytes to 16 bits,
//   in whatever lane order DupA and DupB take; chroma is only combined lane by lane before them);
//   DupA, DupB (each chroma sample twice, for the pixels of A and of B);
//   Add16, Sub16, Mullo16 and Mulhi16 (the low and the signed high half of each 16 by 16-bit
//   product), And, Or, Packus16 (signed 16 bits to unsigned bytes, saturated, A's lanes first),
//   Srli16<n>, Slli16<n>, Unpacklo8, Unpackhi8, Store (unaligned),
//   DoublePixels(p, first, second): each 16-bit lane twice, in pixel order, and
//   StoreTransposed8x8(rows, rowStride, out, outStep): column j of 8 rows of 8 pixels stored
//   as 8 pixels at out + j * outStep.
// The unpack and pack pairs keep pixel order in every lane layout V uses.
#pragma once

#include "video/blit_frame.h"
#include "video/colour_conversion.h"

namespace vector_blit {
namespace {

// The per-register steps return several registers at once; left to itself the compiler may
// call them and pass those registers through memory.
#define BLIT_INLINE [[gnu::always_inline]] inline

// Columns converted at a time before a scatter; even, so chroma pairs never split.
constexpr int32_t kStripColumns = 64;
// Source rows the rotated blitters turn at a time: one 8 by 8 transpose fills 8 pixels of each
// of 8 output lines.
constexpr int32_t kTransposeRows = 8;

// A product v * factor as q * 8192 + r, 0 <= r < 8192. The 32-bit product is hi * 65536 + lo
// with lo unsigned, so q = 8 hi + (lo >> 13) and r = lo & 8191.
template <class V>
struct Split {
  typename V::Reg q, r;
};

template <class V>
BLIT_INLINE Split<V> SplitProduct(typename V::Reg v, int16_t factor) {
  const typename V::Reg f = V::Set16(factor);
  const typename V::Reg lo = V::Mullo16(v, f);
  return {V::Add16(V::template Slli16<3>(V::Mulhi16(v, f)), V::template Srli16<13>(lo)),
          V::And(lo, V::Set16(kConversionScale - 1))};
}

template <class V>
BLIT_INLINE Split<V> AddSplits(const Split<V>& a, const Split<V>& b) {
  const typename V::Reg r = V::Add16(a.r, b.r);  // below 16384
  return {V::Add16(V::Add16(a.q, b.q), V::template Srli16<kConversionShift>(r)),
          V::And(r, V::Set16(kConversionScale - 1))};
}

// Each chroma term per pixel, for the pixels of halves A and B.
template <class V>
struct ChromaTerms {
  Split<V> redA, redB, greenA, greenB, blueA, blueB;
};

template <class V>
BLIT_INLINE ChromaTerms<V> LoadExactChroma(const uint8_t* cr, const uint8_t* cb) {
  using Reg = typename V::Reg;
  const Reg offset = V::Set16(kChromaOffset);
  const Reg crs = V::Sub16(V::LoadChroma(cr), offset);
  const Reg cbs = V::Sub16(V::LoadChroma(cb), offset);
  const Split<V> red = SplitProduct<V>(crs, kCrToRed);
  const Split<V> green =
      AddSplits<V>(SplitProduct<V>(crs, -kCrToGreen), SplitProduct<V>(cbs, -kCbToGreen));
  const Split<V> blue = SplitProduct<V>(cbs, kCbToBlue);
  const auto dupA = [](const Split<V>& s) { return Split<V>{V::DupA(s.q), V::DupA(s.r)}; };
  const auto dupB = [](const Split<V>& s) { return Split<V>{V::DupB(s.q), V::DupB(s.r)}; };
  return {dupA(red), dupB(red), dupA(green), dupB(green), dupA(blue), dupB(blue)};
}

template <class V>
struct Channels {
  typename V::Reg red, green, blue;  // unsigned bytes, clamped
};

// 5-6-5 packing of kPixels clamped channel bytes into two registers of pixels: the low byte
// holds red's top five bits and green's bits 2-4, the high byte green's top three and blue's
// top five.
template <class V>
BLIT_INLINE void PackPixels(const Channels<V>& c, typename V::Reg& first, typename V::Reg& second) {
  using Reg = typename V::Reg;
  const Reg low = V::Or(V::And(V::template Srli16<3>(c.red), V::Set8(0x1F)),
                        V::And(V::template Slli16<3>(c.green), V::Set8(0xE0)));
  const Reg high =
      V::Or(V::And(V::template Srli16<5>(c.green), V::Set8(0x07)), V::And(c.blue, V::Set8(0xF8)));
  first = V::Unpacklo8(low, high);
  second = V::Unpackhi8(low, high);
}

template <class V>
BLIT_INLINE void StorePixels(const Channels<V>& c, uint16_t* out) {
  typename V::Reg first, second;
  PackPixels<V>(c, first, second);
  V::Store(out, first);
  V::Store(out + V::kPixels / 2, second);
}

// Each channel's floor(sum / 8192), unclamped, as 16 bits: halves A and B per channel.
template <class V>
struct Sums {
  typename V::Reg redA, redB, greenA, greenB, blueA, blueB;
};

template <class V>
BLIT_INLINE Sums<V> ExactSums(const uint8_t* luma, const ChromaTerms<V>& c, int32_t brightness) {
  using Reg = typename V::Reg;
  Reg a, b;
  V::LoadLuma(luma, a, b);
  const Reg lumaShift = V::Set16(static_cast<int16_t>(brightness - kLumaOffset));
  const Split<V> la = SplitProduct<V>(V::Add16(a, lumaShift), kLumaFactor);
  const Split<V> lb = SplitProduct<V>(V::Add16(b, lumaShift), kLumaFactor);
  return {AddSplits<V>(la, c.redA).q,   AddSplits<V>(lb, c.redB).q,  AddSplits<V>(la, c.greenA).q,
          AddSplits<V>(lb, c.greenB).q, AddSplits<V>(la, c.blueA).q, AddSplits<V>(lb, c.blueB).q};
}

template <class V>
BLIT_INLINE Channels<V> ExactChannels(const uint8_t* luma, const ChromaTerms<V>& c,
                                      int32_t brightness) {
  const Sums<V> s = ExactSums<V>(luma, c, brightness);
  return {V::Packus16(s.redA, s.redB), V::Packus16(s.greenA, s.greenB),
          V::Packus16(s.blueA, s.blueB)};
}

template <class V>
void ConvertPairExact(const uint8_t* top, const uint8_t* bottom, const uint8_t* cr,
                      const uint8_t* cb, int32_t count, int32_t brightness, uint16_t* outTop,
                      uint16_t* outBottom) {
  int32_t x = 0;
  for (; x + V::kPixels <= count; x += V::kPixels) {
    const ChromaTerms<V> chroma = LoadExactChroma<V>(cr + x / 2, cb + x / 2);
    StorePixels<V>(ExactChannels<V>(top + x, chroma, brightness), outTop + x);
    StorePixels<V>(ExactChannels<V>(bottom + x, chroma, brightness), outBottom + x);
  }
  for (; x < count; x += 2) {
    const int32_t c = x / 2;
    StorePair(outTop, x, ExactPixel(top[x], cr[c], cb[c], brightness),
              ExactPixel(top[x + 1], cr[c], cb[c], brightness));
    StorePair(outBottom, x, ExactPixel(bottom[x], cr[c], cb[c], brightness),
              ExactPixel(bottom[x + 1], cr[c], cb[c], brightness));
  }
}

// Exact pixels of one row; `count` may be odd.
template <class V>
void ConvertRowExact(const uint8_t* luma, const uint8_t* cr, const uint8_t* cb, int32_t count,
                     int32_t brightness, uint16_t* out) {
  int32_t x = 0;
  for (; x + V::kPixels <= count; x += V::kPixels) {
    StorePixels<V>(
        ExactChannels<V>(luma + x, LoadExactChroma<V>(cr + x / 2, cb + x / 2), brightness),
        out + x);
  }
  for (; x < count; ++x) out[x] = ExactPixel(luma[x], cr[x / 2], cb[x / 2], brightness);
}

// Fast conversion: red = Y' + Cr, green = Y' + 128, blue = Y' + Cb with Y' = Y + b - 144.
template <class V>
BLIT_INLINE Channels<V> FastChannels(const uint8_t* luma, const uint8_t* cr, const uint8_t* cb,
                                     int32_t brightness) {
  using Reg = typename V::Reg;
  Reg a, b;
  V::LoadLuma(luma, a, b);
  const Reg lumaShift = V::Set16(static_cast<int16_t>(brightness - kFastLumaOffset));
  a = V::Add16(a, lumaShift);
  b = V::Add16(b, lumaShift);
  const Reg crs = V::LoadChroma(cr);
  const Reg cbs = V::LoadChroma(cb);
  const Reg grey = V::Set16(kChromaOffset);
  return {V::Packus16(V::Add16(a, V::DupA(crs)), V::Add16(b, V::DupB(crs))),
          V::Packus16(V::Add16(a, grey), V::Add16(b, grey)),
          V::Packus16(V::Add16(a, V::DupA(cbs)), V::Add16(b, V::DupB(cbs)))};
}

template <class V>
void ConvertRowFast(const uint8_t* luma, const uint8_t* cr, const uint8_t* cb, int32_t count,
                    int32_t brightness, uint16_t* out) {
  int32_t x = 0;
  for (; x + V::kPixels <= count; x += V::kPixels) {
    StorePixels<V>(FastChannels<V>(luma + x, cr + x / 2, cb + x / 2, brightness), out + x);
  }
  for (; x < count; ++x) out[x] = FastPixel(luma[x], cr[x / 2], cb[x / 2], brightness);
}

// Fast pixels of one row, each stored twice side by side on two lines.
template <class V>
void ConvertRowFastDoubled(const uint8_t* luma, const uint8_t* cr, const uint8_t* cb, int32_t count,
                           int32_t brightness, uint16_t* line, uint16_t* below) {
  using Reg = typename V::Reg;
  int32_t x = 0;
  for (; x + V::kPixels <= count; x += V::kPixels) {
    Reg halves[2];
    PackPixels<V>(FastChannels<V>(luma + x, cr + x / 2, cb + x / 2, brightness), halves[0],
                  halves[1]);
    for (int32_t half = 0; half < 2; ++half) {
      Reg first, second;
      V::DoublePixels(halves[half], first, second);
      const ptrdiff_t at = 2 * x + half * V::kPixels;
      V::Store(line + at, first);
      V::Store(line + at + V::kPixels / 2, second);
      V::Store(below + at, first);
      V::Store(below + at + V::kPixels / 2, second);
    }
  }
  for (; x < count; ++x) {
    const uint16_t pixel = FastPixel(luma[x], cr[x / 2], cb[x / 2], brightness);
    StorePair(line, 2 * x, pixel, pixel);
    StorePair(below, 2 * x, pixel, pixel);
  }
}

// Plane rows ---------------------------------------------------------------------------------

static inline const uint8_t* LumaRow(const BlitFrame& f, int32_t y) {
  return f.luma + LumaIndex(f, 0, y);
}
static inline const uint8_t* CrRow(const BlitFrame& f, int32_t y) {
  return f.cr + ChromaIndex(f, 0, y);
}
static inline const uint8_t* CbRow(const BlitFrame& f, int32_t y) {
  return f.cb + ChromaIndex(f, 0, y);
}

// Under the compare rule, one word per 2 by 2 block of a strip of upright row pair y: all ones
// where the block's top-left luma is unchanged (the block is kept), else 0. True when any block
// changed. Branch-free, so that the compiler can vectorize it.
static inline bool KeptUprightBlocks(const BlitFrame& f, int32_t start, int32_t count, int32_t y,
                                     uint32_t* kept) {
  uint32_t all = ~0u;
  for (int32_t block = 0; block < count / 2; ++block) {
    kept[block] = 0u - uint32_t{LumaUnchanged(f, start + 2 * block, y)};
    all &= kept[block];
  }
  return all != ~0u;
}

// The pixel pairs of a converted row whose block is not kept; a kept block's word is written back
// as it was, without a branch per block (the destination is the caller's alone while it draws).
static inline void StoreChangedPairs(uint16_t* destination, const uint16_t* pixels,
                                     const uint32_t* kept, int32_t pairs) {
  for (int32_t block = 0; block < pairs; ++block) {
    uint32_t held, fresh;
    std::memcpy(&held, destination + 2 * block, sizeof held);
    std::memcpy(&fresh, pixels + 2 * block, sizeof fresh);
    const uint32_t word = (fresh & ~kept[block]) | (held & kept[block]);
    std::memcpy(destination + 2 * block, &word, sizeof word);
  }
}

// Upright 1:1: row pairs converted straight into the destination; under the compare rule, strips
// with a changed block converted whole and stored block by block, so that the conversion keeps
// its vector width however scattered the changes are.
template <class V>
void BlitUpright(const BlitFrame& f) {
  const ptrdiff_t pitch = LinePitch(f, f.width);
  const int32_t width = EvenPart(f.width);
  for (int32_t y = 0; y < EvenPart(f.height); y += 2) {
    uint16_t* line = f.destination + y * pitch;
    if (!f.compare) {
      ConvertPairExact<V>(LumaRow(f, y), LumaRow(f, y + 1), CrRow(f, y), CbRow(f, y), width,
                          f.brightness, line, line + pitch);
      continue;
    }
    for (int32_t start = 0; start < width; start += kStripColumns) {
      const int32_t count = width - start < kStripColumns ? width - start : kStripColumns;
      uint32_t kept[kStripColumns / 2];
      if (!KeptUprightBlocks(f, start, count, y, kept)) continue;
      uint16_t top[kStripColumns], bottom[kStripColumns];
      ConvertPairExact<V>(LumaRow(f, y) + start, LumaRow(f, y + 1) + start, CrRow(f, y) + start / 2,
                          CbRow(f, y) + start / 2, count, f.brightness, top, bottom);
      StoreChangedPairs(line + start, top, kept, count / 2);
      StoreChangedPairs(line + pitch + start, bottom, kept, count / 2);
    }
  }
}

// Upright doubled: each row converted in strips, each changed pixel stored as a 2 by 2 block.
template <class V>
void BlitUprightDouble(const BlitFrame& f) {
  const ptrdiff_t pitch = DoubledLinePitch(f, f.width);
  for (int32_t y = 0; y < f.height; ++y) {
    uint16_t* line = f.destination + 2 * y * pitch;
    if (!f.compare) {
      ConvertRowFastDoubled<V>(LumaRow(f, y), CrRow(f, y), CbRow(f, y), f.width, f.brightness, line,
                               line + pitch);
      continue;
    }
    for (int32_t start = 0; start < f.width; start += kStripColumns) {
      const int32_t count = f.width - start < kStripColumns ? f.width - start : kStripColumns;
      uint16_t pixels[kStripColumns];
      ConvertRowFast<V>(LumaRow(f, y) + start, CrRow(f, y) + start / 2, CbRow(f, y) + start / 2,
                        count, f.brightness, pixels);
      for (int32_t i = 0; i < count; ++i) {
        if (LumaUnchanged(f, start + i, y)) continue;
        StorePair(line, 2 * (start + i), pixels[i], pixels[i]);
        StorePair(line + pitch, 2 * (start + i), pixels[i], pixels[i]);
      }
    }
  }
}

// Stores rows [y, y + 8) of a converted strip turned a quarter: 8 columns at a time through a
// transpose, the columns left over as words.
template <class V>
void StoreRotatedRows(const BlitFrame& f, int32_t width, int32_t start, int32_t count, int32_t y,
                      const uint16_t (*rows)[kStripColumns]) {
  int32_t i = 0;
  for (; i + kTransposeRows <= count; i += kTransposeRows) {
    V::StoreTransposed8x8(&rows[0][i], kStripColumns,
                          f.destination + RotatedOffset(f, width, start + i, y),
                          -LinePitch(f, f.height));
  }
  for (; i < count; ++i) {
    for (int32_t k = 0; k < kTransposeRows; k += 2) {
      StorePair(f.destination, RotatedOffset(f, width, start + i, y + k), rows[k][i],
                rows[k + 1][i]);
    }
  }
}

// Rotated 1:1: strips of columns, so that the lines written stay in cache across rows; rows
// converted as upright, then turned 8 at a time, or, under the compare rule, block by block.
template <class V>
void BlitRotated(const BlitFrame& f) {
  const int32_t width = EvenPart(f.width);
  const int32_t height = EvenPart(f.height);
  const int32_t turned = f.compare ? 0 : height - height % kTransposeRows;
  for (int32_t start = 0; start < width; start += kStripColumns) {
    const int32_t count = width - start < kStripColumns ? width - start : kStripColumns;
    for (int32_t y = 0; y < turned; y += kTransposeRows) {
      uint16_t rows[kTransposeRows][kStripColumns];
      for (int32_t k = 0; k < kTransposeRows; k += 2) {
        ConvertPairExact<V>(LumaRow(f, y + k) + start, LumaRow(f, y + k + 1) + start,
                            CrRow(f, y + k) + start / 2, CbRow(f, y + k) + start / 2, count,
                            f.brightness, rows[k], rows[k + 1]);
      }
      StoreRotatedRows<V>(f, width, start, count, y, rows);
    }
    for (int32_t y = turned; y < height; y += 2) {
      uint16_t top[kStripColumns], bottom[kStripColumns];
      ConvertPairExact<V>(LumaRow(f, y) + start, LumaRow(f, y + 1) + start, CrRow(f, y) + start / 2,
                          CbRow(f, y) + start / 2, count, f.brightness, top, bottom);
      for (int32_t i = 0; i < count; i += 2) {
        const int32_t x = start + i;
        if (f.compare && LumaUnchanged(f, x + 1, y) && LumaUnchanged(f, x, y) &&
            ChromaUnchanged(f, x, y)) {
          continue;
        }
        StorePair(f.destination, RotatedOffset(f, width, x, y), top[i], bottom[i]);
        StorePair(f.destination, RotatedOffset(f, width, x + 1, y), top[i + 1], bottom[i + 1]);
      }
    }
  }
}

// One row pair of the strip-wise rotated blitter: the odd row takes the next chroma row.
template <class V>
void ConvertAltPair(const BlitFrame& f, int32_t start, int32_t count, int32_t y, uint16_t* top,
                    uint16_t* bottom) {
  ConvertRowExact<V>(LumaRow(f, y) + start, CrRow(f, y) + start / 2, CbRow(f, y) + start / 2, count,
                     f.brightness, top);
  ConvertRowExact<V>(LumaRow(f, y + 1) + start, CrRow(f, y + 2) + start / 2,
                     CbRow(f, y + 2) + start / 2, count, f.brightness, bottom);
}

// Rows [y, y + 8) of the strip-wise walk: an odd row takes the chroma of the row after it, so
// rows y + 1 and y + 2, y + 3 and y + 4, y + 5 and y + 6 share theirs.
template <class V>
void ConvertAltRows(const BlitFrame& f, int32_t start, int32_t count, int32_t y,
                    uint16_t (*rows)[kStripColumns]) {
  const auto luma = [&](int32_t row) { return LumaRow(f, row) + start; };
  ConvertRowExact<V>(luma(y), CrRow(f, y) + start / 2, CbRow(f, y) + start / 2, count, f.brightness,
                     rows[0]);
  for (int32_t k = 1; k + 1 < kTransposeRows; k += 2) {
    ConvertPairExact<V>(luma(y + k), luma(y + k + 1), CrRow(f, y + k + 1) + start / 2,
                        CbRow(f, y + k + 1) + start / 2, count, f.brightness, rows[k], rows[k + 1]);
  }
  const int32_t last = y + kTransposeRows - 1;
  ConvertRowExact<V>(luma(last), CrRow(f, last + 1) + start / 2, CbRow(f, last + 1) + start / 2,
                     count, f.brightness, rows[kTransposeRows - 1]);
}

template <class V>
void BlitRotatedAlt(const BlitFrame& f) {
  if (f.width < kAltStripColumns) return;
  const int32_t height = 2 * AltRowPairs(f.height);
  const int32_t turned = height - height % kTransposeRows;
  for (int32_t start = 0; start < f.width; start += kStripColumns) {
    const int32_t count = f.width - start < kStripColumns ? f.width - start : kStripColumns;
    for (int32_t y = 0; y < turned; y += kTransposeRows) {
      uint16_t rows[kTransposeRows][kStripColumns];
      ConvertAltRows<V>(f, start, count, y, rows);
      StoreRotatedRows<V>(f, f.width, start, count, y, rows);
    }
    for (int32_t y = turned; y < height; y += 2) {
      uint16_t top[kStripColumns], bottom[kStripColumns];
      ConvertAltPair<V>(f, start, count, y, top, bottom);
      for (int32_t i = 0; i < count; ++i) {
        StorePair(f.destination, RotatedOffset(f, f.width, start + i, y), top[i], bottom[i]);
      }
    }
  }
}

// Rotated doubled: two source rows at a time fill four columns of each of two lines with one
// 64-bit store per line. Column 0 is converted with its neighbour but not drawn.
template <class V>
void BlitRotatedDouble(const BlitFrame& f) {
  const ptrdiff_t pitch = DoubledLinePitch(f, f.height);
  for (int32_t start = 0; start < f.width; start += kStripColumns) {
    const int32_t count = f.width - start < kStripColumns ? f.width - start : kStripColumns;
    const int32_t first = start == 0 ? 1 : 0;
    for (int32_t y = 0; y < f.height; y += 2) {
      uint16_t top[kStripColumns], bottom[kStripColumns];
      ConvertRowFast<V>(LumaRow(f, y) + start, CrRow(f, y) + start / 2, CbRow(f, y) + start / 2,
                        count, f.brightness, top);
      const bool pair = y + 1 < f.height;
      if (pair) {
        ConvertRowFast<V>(LumaRow(f, y + 1) + start, CrRow(f, y + 1) + start / 2,
                          CbRow(f, y + 1) + start / 2, count, f.brightness, bottom);
      }
      for (int32_t i = first; i < count; ++i) {
        const ptrdiff_t at = RotatedDoubleOffset(f, pitch, start + i, y);
        if (pair) {
          const uint64_t quad = (top[i] | uint64_t{top[i]} << 16) |
                                (uint64_t{bottom[i]} << 32 | uint64_t{bottom[i]} << 48);
          std::memcpy(f.destination + at, &quad, sizeof quad);
          std::memcpy(f.destination + at + pitch, &quad, sizeof quad);
        } else {
          StorePair(f.destination, at, top[i], top[i]);
          StorePair(f.destination, at + pitch, top[i], top[i]);
        }
      }
    }
  }
}

}  // namespace
}  // namespace vector_blit
