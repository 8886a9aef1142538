// The NEON dithering workers. The channel sums come from the vector conversion and are kept as
// the red, green and blue bytes of one word per sample. The carried errors make each sample
// depend on the one before; each worker breaks that chain up as its walk allows: prefix scans
// over groups of four samples (the 1:1 walks), tabulated error maps (the upright doubler), and
// rows side by side (the rotated doubler). Included only by blit_neon.cpp; internal linkage, for
// the reason given in colour_conversion.h.
#pragma once

#include <arm_neon.h>

#include <cstring>

#include "video/blit_vector.h"

namespace vector_blit {
namespace {

using Bytes16 = uint8x16_t;

// A chunk of one row: a strip, plus one column when its start is rounded down to even, rounded up
// to whole registers.
constexpr int32_t kChainSlots = kStripColumns + 8;
// The bits of each channel's byte that the 5-6-5 packing drops.
constexpr uint32_t kErrorMaskWord =
    kRedBlueErrorMask | kGreenErrorMask << 8 | kRedBlueErrorMask << 16;

static inline Bytes16 LoadWords(const uint32_t* words) {
  return vreinterpretq_u8_u32(vld1q_u32(words));
}
static inline void StoreWords(uint32_t* words, Bytes16 v) {
  vst1q_u32(words, vreinterpretq_u32_u8(v));
}
static inline Bytes16 WordsOf(uint32_t word) {
  return vreinterpretq_u8_u32(vdupq_n_u32(word));
}
static inline Bytes16 ErrorBits(Bytes16 v) {
  return vandq_u8(v, WordsOf(kErrorMaskWord));
}
// Word k in every word.
template <int k>
Bytes16 BroadcastWord(Bytes16 v) {
  return vreinterpretq_u8_u32(vdupq_laneq_u32(vreinterpretq_u32_u8(v), k));
}
// Words moved `n` places up, zeros shifted in at word 0.
template <int n>
Bytes16 ShiftWordsUp(Bytes16 v) {
  return vextq_u8(vdupq_n_u8(0), v, 16 - 4 * n);
}
static inline Bytes16 LoadReversed(const uint32_t* words) {
  const uint32x4_t swapped = vrev64q_u32(vld1q_u32(words));
  return vreinterpretq_u8_u32(vextq_u32(swapped, swapped, 2));
}

// Per sample, the red, green and blue parts of max(s, 0) and of max(-s, 0) for the channel sums
// s, as unsigned saturated bytes 0, 1 and 2 of a word.
struct ChainRow {
  uint32_t add[kChainSlots];
  uint32_t subtract[kChainSlots];
};

// The channel sums of a chunk of one row.
struct SumsChunk {
  int16_t red[kChainSlots], green[kChainSlots], blue[kChainSlots];
};

// Per sample, the channel bytes of sign * s + bias, saturated to 0..255.
static inline void StoreChainWords(const SumsChunk& s, int32_t count, int16_t sign, int16_t bias,
                                   uint32_t* out) {
  const auto channel = [&](const int16_t* sums) {
    return vqmovun_s16(vaddq_s16(vmulq_n_s16(vld1q_s16(sums), sign), vdupq_n_s16(bias)));
  };
  int32_t x = 0;
  for (; x + 8 <= count; x += 8) {
    const uint8x8x4_t words = {channel(s.red + x), channel(s.green + x), channel(s.blue + x),
                               vdup_n_u8(0)};
    vst4_u8(reinterpret_cast<uint8_t*>(out + x), words);
  }
  for (; x < count; ++x) {
    out[x] = static_cast<uint32_t>(ClampChannel(sign * s.red[x] + bias) |
                                   ClampChannel(sign * s.green[x] + bias) << 8 |
                                   ClampChannel(sign * s.blue[x] + bias) << 16);
  }
}

// The dithered conversion's inputs for a chunk of one row.
template <class V>
void PrepareChainRow(const uint8_t* luma, const uint8_t* cr, const uint8_t* cb, int32_t count,
                     int32_t brightness, ChainRow& row) {
  SumsChunk s;
  RowSums<V>(luma, cr, cb, count, brightness, s.red, s.green, s.blue);
  StoreChainWords(s, count, 1, 0, row.add);
  StoreChainWords(s, count, -1, 0, row.subtract);
}

// Interpolated samples of a chunk of one row, as channel bytes of a word.
template <class V>
void PrepareInterpolatedRow(const uint8_t* luma, const uint8_t* cr, const uint8_t* cb,
                            int32_t count, int32_t brightness, uint32_t* out) {
  SumsChunk s;
  RowSums<V>(luma, cr, cb, count, brightness, s.red, s.green, s.blue);
  StoreChainWords(s, count, 1, kInterpolationBias, out);
}

// The samples of a chunk in the order the chain visits them, with room to round the length up
// to whole groups of four.
struct ChainSequence {
  static constexpr int32_t kSlots = 2 * kChainSlots;
  uint32_t add[kSlots], subtract[kSlots], values[kSlots];
  int32_t length = 0;

  // A zero sum passes the carried errors through unchanged, as a kept block must.
  void Skip(int32_t first, int32_t count) {
    for (int32_t i = first; i < first + count; ++i) add[i] = subtract[i] = 0;
  }
};

// The value of each of four samples for the incoming errors in every word:
// clamp(s + e) per channel is saturate(saturate(e - max(-s, 0)) + max(s, 0)) in unsigned bytes.
static inline Bytes16 ChainValues(Bytes16 incoming, Bytes16 add, Bytes16 subtract) {
  return vqaddq_u8(vqsubq_u8(incoming, subtract), add);
}

// The serial conversion of four samples whose first incoming errors are in every word of
// `incoming`; returns their values and leaves the last sample's errors in every word.
static inline Bytes16 SerialValues(Bytes16 add, Bytes16 subtract, Bytes16& incoming) {
  uint32x4_t values = vdupq_n_u32(0);
  const auto step = [&]<int k>() {
    const Bytes16 value = ChainValues(incoming, add, subtract);
    values = vcopyq_laneq_u32(values, k, vreinterpretq_u32_u8(value), k);
    incoming = ErrorBits(BroadcastWord<k>(value));
  };
  step.template operator()<0>();
  step.template operator()<1>();
  step.template operator()<2>();
  step.template operator()<3>();
  return vreinterpretq_u8_u32(values);
}

// Whether any channel of the four samples clamps depending on the incoming error: a negative
// sum above -8 (-4 for green), or a positive one whose error can reach 255 without starting
// there.
static inline bool MayClampPartly(Bytes16 add, Bytes16 subtract, Bytes16 mask) {
  const Bytes16 full = vdupq_n_u8(0xFF);
  const Bytes16 smallNegative = vbicq_u8(vceqzq_u8(vqsubq_u8(subtract, mask)), vceqzq_u8(subtract));
  const Bytes16 nearTop = vbicq_u8(vceqq_u8(vqaddq_u8(add, mask), full), vceqq_u8(add, full));
  return vmaxvq_u8(vorrq_u8(smallNegative, nearTop)) != 0;
}

// Four samples at a time. Any other sample maps error e to (e + s) & mask when it cannot clamp,
// or clamps whatever e is and sets a fixed error (0, or the mask at 255): both are "keep ? e :
// 0" plus an offset (add, already the fixed error when clamped), and the maps of four samples
// compose in a two-step prefix scan, so the chain from one group to the next is a few
// instructions instead of one conversion per sample. Groups with a clamp that depends on the
// error take the serial steps.
struct DitherChain {
  Bytes16 error = vdupq_n_u8(0);  // word 0

  void Run(ChainSequence& sequence) {
    sequence.Skip(sequence.length, -sequence.length & 3);
    sequence.length += -sequence.length & 3;
    const Bytes16 full = vdupq_n_u8(0xFF);
    const Bytes16 mask = WordsOf(kErrorMaskWord);
    const Bytes16 firstWord = vreinterpretq_u8_u32(vsetq_lane_u32(~0u, vdupq_n_u32(0), 0));
    const Bytes16 firstTwoWords = vreinterpretq_u8_u64(vsetq_lane_u64(~0ull, vdupq_n_u64(0), 0));
    Bytes16 incoming = BroadcastWord<0>(error);
    for (int32_t i = 0; i < sequence.length; i += 4) {
      const Bytes16 add = LoadWords(sequence.add + i);
      const Bytes16 subtract = LoadWords(sequence.subtract + i);
      if (MayClampPartly(add, subtract, mask)) {
        StoreWords(sequence.values + i, SerialValues(add, subtract, incoming));
        continue;
      }
      Bytes16 keep = vceqzq_u8(vorrq_u8(vceqq_u8(add, full), subtract));
      Bytes16 offset = add;
      offset = vaddq_u8(offset, vandq_u8(keep, ShiftWordsUp<1>(offset)));
      keep = vandq_u8(keep, vorrq_u8(ShiftWordsUp<1>(keep), firstWord));
      offset = vaddq_u8(offset, vandq_u8(keep, ShiftWordsUp<2>(offset)));
      keep = vandq_u8(keep, vorrq_u8(ShiftWordsUp<2>(keep), firstTwoWords));
      const Bytes16 outgoing = vandq_u8(vaddq_u8(offset, vandq_u8(keep, incoming)), mask);
      const Bytes16 errors = vorrq_u8(ShiftWordsUp<1>(outgoing), vandq_u8(incoming, firstWord));
      StoreWords(sequence.values + i, ChainValues(errors, add, subtract));
      incoming = BroadcastWord<3>(outgoing);
    }
    error = incoming;
  }
};

// Red's top five bits to bits 0-4, green's top six to 5-10, blue's top five to 11-15.
static inline uint16x8_t PackChannels565(uint8x8_t red, uint8x8_t green, uint8x8_t blue) {
  uint16x8_t pixel = vshll_n_u8(blue, 8);
  pixel = vsriq_n_u16(pixel, vshll_n_u8(green, 8), 5);
  return vsriq_n_u16(pixel, vshll_n_u8(red, 8), 11);
}

// Four chain values, one word per sample, as 5-6-5 pixels.
static inline uint16x4_t PackWords(Bytes16 v) {
  const uint32x4_t words = vreinterpretq_u32_u8(v);
  const uint32x4_t pixel =
      vorrq_u32(vorrq_u32(vandq_u32(vshrq_n_u32(words, 3), vdupq_n_u32(0x1F)),
                          vandq_u32(vshrq_n_u32(words, 5), vdupq_n_u32(0x7E0))),
                vandq_u32(vshrq_n_u32(words, 8), vdupq_n_u32(0xF800)));
  return vmovn_u32(pixel);
}

// Chain values, one word per sample, as 5-6-5 pixels.
static inline void PackValues(const uint32_t* values, uint16_t* pixels, int32_t count) {
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const uint8x8x4_t channels = vld4_u8(reinterpret_cast<const uint8_t*>(values + i));
    vst1q_u16(pixels + i, PackChannels565(channels.val[0], channels.val[1], channels.val[2]));
  }
  for (; i < count; ++i) {
    pixels[i] = Pack565({static_cast<int32_t>(values[i] & 0xFF),
                         static_cast<int32_t>(values[i] >> 8 & 0xFF),
                         static_cast<int32_t>(values[i] >> 16 & 0xFF)});
  }
}

// Chain values of a chunk, one word per sample, and the same as 5-6-5 pixels.
// The pixels of kept samples go unused.
struct ChainOutput {
  uint32_t values[kChainSlots];
  uint16_t pixels[kChainSlots];

  void Pack(int32_t count) { PackValues(values, pixels, count); }
};

// The 2 by 2 blocks of a chunk in chain order: top left, top right, bottom left, bottom right.
static inline void GatherBlocks(const ChainRow& top, const ChainRow& bottom, int32_t count,
                                ChainSequence& sequence) {
  const auto pairs = [&](const uint32_t* upper, const uint32_t* lower, uint32_t* out) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
      const uint64x2_t t = vreinterpretq_u64_u32(vld1q_u32(upper + i));
      const uint64x2_t b = vreinterpretq_u64_u32(vld1q_u32(lower + i));
      vst1q_u32(out + 2 * i, vreinterpretq_u32_u64(vzip1q_u64(t, b)));
      vst1q_u32(out + 2 * i + 4, vreinterpretq_u32_u64(vzip2q_u64(t, b)));
    }
    for (; i < count; i += 2) {
      out[2 * i] = upper[i], out[2 * i + 1] = upper[i + 1];
      out[2 * i + 2] = lower[i], out[2 * i + 3] = lower[i + 1];
    }
  };
  pairs(top.add, bottom.add, sequence.add);
  pairs(top.subtract, bottom.subtract, sequence.subtract);
  sequence.length = 2 * count;
}

template <class V>
void DitherUpright(const BlitFrame& f) {
  const ptrdiff_t pitch = LinePitch(f, f.width);
  const int32_t width = EvenPart(f.width);
  DitherChain chain;
  for (int32_t y = 0; y < EvenPart(f.height); y += 2) {
    for (int32_t start = 0; start < width; start += kStripColumns) {
      const int32_t count = width - start < kStripColumns ? width - start : kStripColumns;
      ChainRow top, bottom;
      PrepareChainRow<V>(LumaRow(f, y) + start, CrRow(f, y) + start / 2, CbRow(f, y) + start / 2,
                         count, f.brightness, top);
      PrepareChainRow<V>(LumaRow(f, y + 1) + start, CrRow(f, y) + start / 2,
                         CbRow(f, y) + start / 2, count, f.brightness, bottom);
      ChainSequence sequence;
      GatherBlocks(top, bottom, count, sequence);
      bool kept[kStripColumns / 2] = {};
      for (int32_t i = 0; f.compare && i < count; i += 2) {
        const int32_t x = start + i;
        kept[i / 2] =
            LumaUnchanged(f, x, y) && LumaUnchanged(f, x, y + 1) && ChromaUnchanged(f, x, y);
        if (kept[i / 2]) sequence.Skip(2 * i, 4);
      }
      chain.Run(sequence);
      // Each block's pixels are the top pair then the bottom pair.
      uint32_t pairs[kStripColumns];
      PackValues(sequence.values, reinterpret_cast<uint16_t*>(pairs), 2 * count);
      uint16_t* line = f.destination + y * pitch + start;
      for (int32_t i = 0; i < count; i += 2) {
        if (kept[i / 2]) continue;
        std::memcpy(line + i, &pairs[i], sizeof pairs[i]);
        std::memcpy(line + pitch + i, &pairs[i + 1], sizeof pairs[i]);
      }
    }
  }
}

// The 2 by 2 blocks of a chunk from the right, in chain order: top right, top left, bottom
// right, bottom left.
static inline void GatherBlocksFromRight(const ChainRow& top, const ChainRow& bottom, int32_t count,
                                         ChainSequence& sequence) {
  const auto pairs = [&](const uint32_t* upper, const uint32_t* lower, uint32_t* out) {
    int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
      const uint64x2_t t = vreinterpretq_u64_u8(LoadReversed(upper + count - 4 - n));
      const uint64x2_t b = vreinterpretq_u64_u8(LoadReversed(lower + count - 4 - n));
      vst1q_u32(out + 2 * n, vreinterpretq_u32_u64(vzip1q_u64(t, b)));
      vst1q_u32(out + 2 * n + 4, vreinterpretq_u32_u64(vzip2q_u64(t, b)));
    }
    for (; n < count; n += 2) {
      const int32_t i = count - 1 - n;
      out[2 * n] = upper[i], out[2 * n + 1] = upper[i - 1];
      out[2 * n + 2] = lower[i], out[2 * n + 3] = lower[i - 1];
    }
  };
  pairs(top.add, bottom.add, sequence.add);
  pairs(top.subtract, bottom.subtract, sequence.subtract);
  sequence.length = 2 * count;
}

template <class V>
void DitherRotated(const BlitFrame& f) {
  const int32_t width = EvenPart(f.width);
  DitherChain chain;
  for (int32_t y = 0; y < EvenPart(f.height); y += 2) {
    for (int32_t end = width; end > 0; end -= kStripColumns) {
      const int32_t start = end > kStripColumns ? end - kStripColumns : 0;
      const int32_t count = end - start;
      ChainRow top, bottom;
      PrepareChainRow<V>(LumaRow(f, y) + start, CrRow(f, y) + start / 2, CbRow(f, y) + start / 2,
                         count, f.brightness, top);
      PrepareChainRow<V>(LumaRow(f, y + 1) + start, CrRow(f, y) + start / 2,
                         CbRow(f, y) + start / 2, count, f.brightness, bottom);
      ChainSequence sequence;
      GatherBlocksFromRight(top, bottom, count, sequence);
      bool kept[kStripColumns / 2] = {};
      for (int32_t n = 0; f.compare && n < count; n += 2) {
        const int32_t x = end - 1 - n;
        kept[n / 2] =
            LumaUnchanged(f, x, y) && LumaUnchanged(f, x - 1, y) && ChromaUnchanged(f, x, y);
        if (kept[n / 2]) sequence.Skip(2 * n, 4);
      }
      chain.Run(sequence);
      uint16_t pixels[2 * kStripColumns];
      PackValues(sequence.values, pixels, 2 * count);
      for (int32_t n = 0; n < count; n += 2) {
        if (kept[n / 2]) continue;
        const int32_t x = end - 1 - n;
        const uint16_t* block = pixels + 2 * n;
        StorePair(f.destination, RotatedOffset(f, width, x, y), block[0], block[2]);
        StorePair(f.destination, RotatedOffset(f, width, x - 1, y), block[1], block[3]);
      }
    }
  }
}

// Strips of 64 columns from the right; a strip's chunk starts at an even column so that the
// vector sums keep chroma pairs whole.
template <class V>
void DitherRotatedAlt(const BlitFrame& f) {
  if (f.width < kAltStripColumns) return;
  DitherChain chain;
  for (int32_t stripEnd = f.width - 1; stripEnd >= 0; stripEnd -= kAltStripColumns) {
    const int32_t stripStart = stripEnd >= kAltStripColumns ? stripEnd - kAltStripColumns + 1 : 0;
    const int32_t start = EvenPart(stripStart);
    const int32_t columns = stripEnd + 1 - stripStart;
    for (int32_t pair = 0; pair < AltRowPairs(f.height); ++pair) {
      const int32_t y = 2 * pair;
      ChainRow top, bottom;
      PrepareChainRow<V>(LumaRow(f, y) + start, CrRow(f, y) + start / 2, CbRow(f, y) + start / 2,
                         stripEnd + 1 - start, f.brightness, top);
      PrepareChainRow<V>(LumaRow(f, y + 1) + start, CrRow(f, y + 2) + start / 2,
                         CbRow(f, y + 2) + start / 2, stripEnd + 1 - start, f.brightness, bottom);
      // Columns from the right, each top then bottom.
      ChainSequence sequence;
      const int32_t last = stripEnd - start;
      const auto interleave = [&](const uint32_t* upper, const uint32_t* lower, uint32_t* out) {
        int32_t n = 0;
        for (; n + 4 <= columns; n += 4) {
          const uint32x4_t t = vreinterpretq_u32_u8(LoadReversed(upper + last - 3 - n));
          const uint32x4_t b = vreinterpretq_u32_u8(LoadReversed(lower + last - 3 - n));
          vst1q_u32(out + 2 * n, vzip1q_u32(t, b));
          vst1q_u32(out + 2 * n + 4, vzip2q_u32(t, b));
        }
        for (; n < columns; ++n) out[2 * n] = upper[last - n], out[2 * n + 1] = lower[last - n];
      };
      interleave(top.add, bottom.add, sequence.add);
      interleave(top.subtract, bottom.subtract, sequence.subtract);
      sequence.length = 2 * columns;
      chain.Run(sequence);
      uint32_t pairs[kAltStripColumns];
      PackValues(sequence.values, reinterpret_cast<uint16_t*>(pairs), 2 * columns);
      for (int32_t n = 0; n < columns; ++n) {
        std::memcpy(f.destination + RotatedOffset(f, f.width, stripEnd - n, y), &pairs[n],
                    sizeof pairs[n]);
      }
    }
  }
}

// The four pixels of a doubled sample from its incoming errors, four samples at a time; the
// last column shows its top left pixel four times and carries the errors of its bottom left.
struct DoubledSamples {
  Bytes16 topLeft, topRight, bottomLeft, bottomRight, outgoing;
};

// A doubled sample's chain inputs and its right neighbour's, four samples at a time.
struct DoubledInputs {
  Bytes16 add, subtract, under, rightAdd, rightSubtract, rightUnder;
};

static inline DoubledInputs LoadDoubled(const ChainRow& row, const uint32_t* under, int32_t i) {
  return {LoadWords(row.add + i),     LoadWords(row.subtract + i),     LoadWords(under + i),
          LoadWords(row.add + i + 1), LoadWords(row.subtract + i + 1), LoadWords(under + i + 1)};
}

// Per channel byte, the integer half of a + b.
static inline Bytes16 AverageDown(Bytes16 a, Bytes16 b) {
  return vhaddq_u8(a, b);
}

static inline DoubledSamples ConvertDoubled(const DoubledInputs& in, Bytes16 isLast,
                                            Bytes16 incoming) {
  const Bytes16 left = ChainValues(incoming, in.add, in.subtract);
  const Bytes16 leftBelow = AverageDown(left, in.under);
  const Bytes16 value = ChainValues(ErrorBits(leftBelow), in.rightAdd, in.rightSubtract);
  const Bytes16 right = AverageDown(leftBelow, value);
  const Bytes16 rightBelow = AverageDown(right, in.rightUnder);
  return {left, vbslq_u8(isLast, left, right), vbslq_u8(isLast, left, leftBelow),
          vbslq_u8(isLast, left, rightBelow), ErrorBits(vbslq_u8(isLast, leftBelow, rightBelow))};
}

// The carried errors take at most this many values per channel.
constexpr int32_t kErrorStates = kRedBlueErrorMask + 1;

// Error e in every channel of a word.
constexpr uint32_t SameErrorsWord(int32_t e) {
  return static_cast<uint32_t>(e) * 0x010101u;
}

// outgoing[i + k][e] for the four samples from i: sample i + k's outgoing errors when every
// channel's incoming error is e. A sample's row of eight is contiguous, so that the chain's
// look-up address does not wait for a multiplication.
static inline void TabulateDoubled(const DoubledInputs& in, Bytes16 isLast, int32_t i,
                                   uint32_t (*outgoing)[kErrorStates]) {
  constexpr int32_t kQuarter = 4;
  for (int32_t half = 0; half < kErrorStates; half += kQuarter) {
    uint32x4x4_t out;
    for (int32_t e = 0; e < kQuarter; ++e) {
      out.val[e] = vreinterpretq_u32_u8(
          ConvertDoubled(in, isLast, WordsOf(SameErrorsWord(half + e))).outgoing);
    }
    // Lane k of the four registers is sample i + k's row for errors half to half + 3.
    vst4q_lane_u32(outgoing[i] + half, out, 0);
    vst4q_lane_u32(outgoing[i + 1] + half, out, 1);
    vst4q_lane_u32(outgoing[i + 2] + half, out, 2);
    vst4q_lane_u32(outgoing[i + 3] + half, out, 3);
  }
}

// The interpolating doubler: per source sample, two dithered conversions from the row and two
// interpolated ones from the row below (the last row is its own row below). A sample's outgoing
// errors are a function of its incoming ones, which take at most eight values per channel; that
// function is tabulated for every sample of a chunk with vector code, so the chain itself is one
// table look-up per channel and sample, and the pixels follow with vector code again.
template <class V>
void DitherUprightDouble(const BlitFrame& f) {
  const ptrdiff_t pitch = DoubledLinePitch(f, f.width);
  uint32_t error = 0;  // red, green and blue in bytes 0, 1 and 2
  const uint32x4_t lanes = {0, 1, 2, 3};
  for (int32_t y = 0; y < f.height; ++y) {
    const int32_t below = y + 1 < f.height ? y + 1 : y;
    uint16_t* line = f.destination + 2 * y * pitch;
    for (int32_t start = 0; start < f.width; start += kStripColumns) {
      const int32_t count = f.width - start < kStripColumns ? f.width - start : kStripColumns;
      const int32_t prepared = count < f.width - start ? count + 1 : count;  // the right sample
      ChainRow row;
      uint32_t under[kChainSlots];
      PrepareChainRow<V>(LumaRow(f, y) + start, CrRow(f, y) + start / 2, CbRow(f, y) + start / 2,
                         prepared, f.brightness, row);
      PrepareInterpolatedRow<V>(LumaRow(f, below) + start, CrRow(f, below) + start / 2,
                                CbRow(f, below) + start / 2, prepared, f.brightness, under);
      const uint32_t last = static_cast<uint32_t>(f.width - 1 - start);
      const auto isLast = [&](int32_t i) {
        return vreinterpretq_u8_u32(
            vceqq_u32(vaddq_u32(lanes, vdupq_n_u32(static_cast<uint32_t>(i))), vdupq_n_u32(last)));
      };
      // outgoing[i][e]: sample i's outgoing errors when every channel's incoming error is e.
      uint32_t outgoing[kChainSlots][kErrorStates];
      for (int32_t i = 0; i < count; i += 4) {
        TabulateDoubled(LoadDoubled(row, under, i), isLast(i), i, outgoing);
      }
      bool kept[kStripColumns];
      for (int32_t i = 0; i < count; ++i) {
        const int32_t x = start + i;
        kept[i] = f.compare && LumaUnchanged(f, x, y) && ChromaUnchanged(f, x, y);
        if (kept[i]) {
          for (int32_t e = 0; e < kErrorStates; ++e) outgoing[i][e] = SameErrorsWord(e);
        }
      }
      uint32_t incoming[kChainSlots];
      uint32_t red = error & 0xFF, green = error >> 8 & 0xFF, blue = error >> 16;
      for (int32_t i = 0; i < count; ++i) {
        incoming[i] = red | green << 8 | blue << 16;
        red = outgoing[i][red] & 0xFF;
        green = outgoing[i][green] >> 8 & 0xFF;
        blue = outgoing[i][blue] >> 16 & 0xFF;
      }
      error = red | green << 8 | blue << 16;
      ChainOutput topLeft, topRight, bottomLeft, bottomRight;
      for (int32_t i = 0; i < count; i += 4) {
        const DoubledSamples d =
            ConvertDoubled(LoadDoubled(row, under, i), isLast(i), LoadWords(incoming + i));
        StoreWords(topLeft.values + i, d.topLeft);
        StoreWords(topRight.values + i, d.topRight);
        StoreWords(bottomLeft.values + i, d.bottomLeft);
        StoreWords(bottomRight.values + i, d.bottomRight);
      }
      ChainOutput* outputs[] = {&topLeft, &topRight, &bottomLeft, &bottomRight};
      for (ChainOutput* output : outputs) output->Pack(count);
      for (int32_t i = 0; i < count; ++i) {
        if (kept[i]) continue;
        StorePair(line, 2 * (start + i), topLeft.pixels[i], topRight.pixels[i]);
        StorePair(line + pitch, 2 * (start + i), bottomLeft.pixels[i], bottomRight.pixels[i]);
      }
    }
  }
}

// Rows whose chains run side by side: four to a register, one word each, in two registers so
// that the two chains overlap.
constexpr int32_t kRowsPerRegister = 4;
constexpr int32_t kRowRegisters = 2;
constexpr int32_t kParallelRows = kRowsPerRegister * kRowRegisters;

// Words i to i + 3 of four rows, turned so that each register holds one word of every row.
static inline void Transpose4(const uint32_t* const (&rows)[kRowsPerRegister], int32_t i,
                              Bytes16* out) {
  const auto load = [&](int32_t r) { return vld1q_u32(rows[r] + i); };
  const uint64x2_t t0 = vreinterpretq_u64_u32(vtrn1q_u32(load(0), load(1)));
  const uint64x2_t t1 = vreinterpretq_u64_u32(vtrn2q_u32(load(0), load(1)));
  const uint64x2_t t2 = vreinterpretq_u64_u32(vtrn1q_u32(load(2), load(3)));
  const uint64x2_t t3 = vreinterpretq_u64_u32(vtrn2q_u32(load(2), load(3)));
  out[i] = vreinterpretq_u8_u64(vtrn1q_u64(t0, t2));
  out[i + 1] = vreinterpretq_u8_u64(vtrn1q_u64(t1, t3));
  out[i + 2] = vreinterpretq_u8_u64(vtrn2q_u64(t0, t2));
  out[i + 3] = vreinterpretq_u8_u64(vtrn2q_u64(t1, t3));
}

// The chain inputs of a chunk of four rows, a register per column.
struct RowGroup {
  Bytes16 add[kChainSlots], subtract[kChainSlots], neighbours[kChainSlots];
  Bytes16 error;
};

// Rotated doubled with interpolation: chunks from the right, each prepared from an even column
// one or two to the left of it so that the neighbour x - 1 is at hand. Every row starts its own
// chain, so rows run side by side, and their output pixels are neighbours on each line.
template <class V>
void DitherRotatedDouble(const BlitFrame& f) {
  const ptrdiff_t pitch = DoubledLinePitch(f, f.height) & ~ptrdiff_t{1};
  for (int32_t top = 0; top < f.height; top += kParallelRows) {
    const int32_t rows = f.height - top < kParallelRows ? f.height - top : kParallelRows;
    RowGroup groups[kRowRegisters];
    for (RowGroup& group : groups) group.error = WordsOf(SameErrorsWord(kRotatedDoubleStartError));
    for (int32_t end = f.width; end > 1; end -= kStripColumns) {
      const int32_t start = end - 1 > kStripColumns ? end - kStripColumns : 1;
      const int32_t first = EvenPart(start - 1);
      ChainRow row[kParallelRows];
      uint32_t next[kParallelRows][kChainSlots];
      for (int32_t r = 0; r < kParallelRows; ++r) {
        const int32_t y = top + (r < rows ? r : rows - 1);  // spare lanes repeat the last row
        PrepareChainRow<V>(LumaRow(f, y) + first, CrRow(f, y) + first / 2, CbRow(f, y) + first / 2,
                           end - first, f.brightness, row[r]);
        PrepareInterpolatedRow<V>(LumaRow(f, y) + first, CrRow(f, y) + first / 2,
                                  CbRow(f, y) + first / 2, end - first, f.brightness, next[r]);
      }
      for (int32_t g = 0; g < kRowRegisters; ++g) {
        const ChainRow* rs = row + g * kRowsPerRegister;
        const uint32_t(*ns)[kChainSlots] = next + g * kRowsPerRegister;
        for (int32_t i = 0; i < end - first; i += 4) {
          Transpose4({rs[0].add, rs[1].add, rs[2].add, rs[3].add}, i, groups[g].add);
          Transpose4({rs[0].subtract, rs[1].subtract, rs[2].subtract, rs[3].subtract}, i,
                     groups[g].subtract);
          Transpose4({ns[0], ns[1], ns[2], ns[3]}, i, groups[g].neighbours);
        }
      }
      for (int32_t x = end - 1; x >= start; --x) {
        const int32_t i = x - first;
        uint16_t line[kParallelRows * 2], below[kParallelRows * 2];
        for (int32_t g = 0; g < kRowRegisters; ++g) {
          RowGroup& group = groups[g];
          const auto convert = [&] {
            const Bytes16 value = ChainValues(group.error, group.add[i], group.subtract[i]);
            group.error = ErrorBits(value);
            return value;
          };
          const Bytes16 p0 = convert();
          Bytes16 p1 = p0, q1 = p0, q0 = p0;
          if (x != 1) {
            p1 = convert();
            q1 = AverageDown(p1, group.neighbours[i - 1]);
            q0 = AverageDown(group.neighbours[i - 1], q1);
            group.error = ErrorBits(q0);
          }
          // Each row's two pixels side by side on both lines.
          vst2_u16(line + g * 2 * kRowsPerRegister, (uint16x4x2_t{PackWords(p0), PackWords(p1)}));
          vst2_u16(below + g * 2 * kRowsPerRegister, (uint16x4x2_t{PackWords(q1), PackWords(q0)}));
        }
        uint16_t* at = f.destination + RotatedDoubleOffset(f, pitch, x, top);
        std::memcpy(at, line, 2 * rows * sizeof(uint16_t));
        std::memcpy(at + pitch, below, 2 * rows * sizeof(uint16_t));
      }
    }
  }
}

}  // namespace
}  // namespace vector_blit
