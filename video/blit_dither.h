// The dithering workers and the kernel table of a vector path, written over its register
// operations (blit_vector.h) and its lanes (blit_lanes.h). The channel sums come from the vector
// conversion, with the three channels side by side in the bytes of one word per sample. The
// carried errors make each sample depend on the one before; each worker breaks that chain up as
// its walk allows (see the workers). Internal linkage, for the reason given in
// colour_conversion.h.
#pragma once

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "video/blit_lockstep.h"
#include "video/blit_vector.h"

namespace vector_blit {
namespace {

// A chunk of one row: a strip, plus one column when its start is rounded down to even, rounded up
// to whole registers.
constexpr int32_t kChainSlots = kStripColumns + 8;

// Where PrepareChainWords puts a chunk of one row's inputs to the dithered conversion, per
// sample as channel bytes of a word, each saturated to 0..255: `add` gets max(s, 0) and
// `subtract` max(-s, 0) of the channel sums s, and `interpolatedComplement` 255 less s plus the
// interpolation bias. Null outputs are skipped.
struct ChainWords {
  uint32_t* add = nullptr;
  uint32_t* subtract = nullptr;
  uint32_t* interpolatedComplement = nullptr;
};

// Per sample, the red, green and blue parts of max(s, 0) and of max(-s, 0) for the channel sums
// s, as unsigned saturated bytes 0, 1 and 2 of a word.
struct ChainRow {
  uint32_t add[kChainSlots];
  uint32_t subtract[kChainSlots];

  ChainWords Words() { return {.add = add, .subtract = subtract}; }
};

static inline uint32_t ChainBytes(int32_t red, int32_t green, int32_t blue) {
  return static_cast<uint32_t>(ClampChannel(red) | ClampChannel(green) << 8 |
                               ClampChannel(blue) << 16);
}

// A row to prepare and where its words go.
struct ChainSource {
  const uint8_t* luma;
  ChainWords out;
};

// One row, or two rows that share their chroma row and so its share of the conversion.
template <class V>
void PrepareChainWords(std::initializer_list<ChainSource> rows, const uint8_t* cr,
                       const uint8_t* cb, int32_t count, int32_t brightness) {
  using Reg = typename V::Reg;
  const Reg zero = V::Set16(0);
  const Reg complementBias = V::Set16(kChannelMax - kInterpolationBias);
  int32_t x = 0;
  for (; x + V::kPixels <= count; x += V::kPixels) {
    const ChromaTerms<V> chroma = LoadExactChroma<V>(cr + x / 2, cb + x / 2);
    for (const ChainSource& row : rows) {
      const Sums<V> s = ExactSums<V>(row.luma + x, chroma, brightness);
      const auto store = [&](uint32_t* words, auto adjust) {
        if (!words) return;
        Lanes<kLanesOf<V>>::StoreChainBytes(V::Packus16(adjust(s.redA), adjust(s.redB)),
                                            V::Packus16(adjust(s.greenA), adjust(s.greenB)),
                                            V::Packus16(adjust(s.blueA), adjust(s.blueB)),
                                            words + x);
      };
      store(row.out.add, [](Reg v) { return v; });
      store(row.out.subtract, [&](Reg v) { return V::Sub16(zero, v); });
      store(row.out.interpolatedComplement, [&](Reg v) { return V::Sub16(complementBias, v); });
    }
  }
  for (; x < count; ++x) {
    for (const ChainSource& row : rows) {
      const Rgb t = ScaledSums(row.luma[x], cr[x / 2], cb[x / 2], brightness);
      const Rgb s = {t.red >> kConversionShift, t.green >> kConversionShift,
                     t.blue >> kConversionShift};
      const auto store = [&](uint32_t* words, int32_t sign, int32_t offset) {
        if (words) {
          words[x] =
              ChainBytes(sign * s.red + offset, sign * s.green + offset, sign * s.blue + offset);
        }
      };
      store(row.out.add, 1, 0);
      store(row.out.subtract, -1, 0);
      store(row.out.interpolatedComplement, -1, kChannelMax - kInterpolationBias);
    }
  }
}

// Rows [first, first + rows) of a chunk, `first` even, two rows per chroma row; `words(y)` says
// where row y's words go.
template <class V, class Words>
void PrepareRows(const BlitFrame& f, int32_t start, int32_t count, int32_t first, int32_t rows,
                 Words words) {
  const auto source = [&](int32_t y) { return ChainSource{LumaRow(f, y) + start, words(y)}; };
  for (int32_t y = first; y < first + rows; y += 2) {
    const uint8_t* cr = CrRow(f, y) + start / 2;
    const uint8_t* cb = CbRow(f, y) + start / 2;
    if (y + 1 < first + rows) {
      PrepareChainWords<V>({source(y), source(y + 1)}, cr, cb, count, f.brightness);
    } else {
      PrepareChainWords<V>({source(y)}, cr, cb, count, f.brightness);
    }
  }
}

static inline uint16_t PixelOf(uint32_t value) {
  return Pack565({static_cast<int32_t>(value & 0xFF), static_cast<int32_t>(value >> 8 & 0xFF),
                  static_cast<int32_t>(value >> 16 & 0xFF)});
}

// Chain values, one word per sample, as 5-6-5 pixels.
static inline void PackValues(const uint32_t* values, uint16_t* pixels, int32_t count) {
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) Lanes<4>::StoreEightPixels(values + i, pixels + i);
  for (; i < count; ++i) pixels[i] = PixelOf(values[i]);
}

// A chunk of one stretch: a strip of a row pair, two samples per column.
constexpr int32_t kChunkSamples = 2 * kStripColumns;

// One chunk of every lane's inputs, `kArrays` words per sample, each lane in its chain order,
// before it is interleaved into a lockstep.
template <int32_t kLanes, int32_t kArrays, int32_t kSamples>
struct ChunkStage {
  uint32_t words[kArrays][kLanes][kSamples];

  // Zero inputs: for the 1:1 chains, a kept block's, which pass the carried errors through.
  void Clear(int32_t lane, int32_t first, int32_t count) {
    for (auto& array : words) std::memset(array[lane] + first, 0, count * sizeof(uint32_t));
  }

  // Interleaves the first `lanes` lanes' `samples` into `targets` (lane l's sample k at word
  // k * kLanes + l) from sample `at`; the rest of the lanes and of the last transpose are zero.
  void Interleave(int32_t lanes, int32_t samples, uint32_t* const (&targets)[kArrays], int32_t at) {
    const int32_t rounded = RoundUp(samples);
    for (int32_t l = 0; l < kLanes; ++l) {
      const int32_t from = l < lanes ? samples : 0;
      if (from < rounded) Clear(l, from, rounded - from);
    }
    for (int32_t k = 0; k < rounded; k += kLanes) {
      for (int32_t a = 0; a < kArrays; ++a) {
        Lanes<kLanes>::Transpose(&words[a][0][k], kSamples,
                                 targets[a] + static_cast<ptrdiff_t>(at + k) * kLanes, kLanes);
      }
    }
  }

  static int32_t RoundUp(int32_t samples) { return (samples + kLanes - 1) / kLanes * kLanes; }
};

// A chunk of the 1:1 chains' add and subtract words.
template <int32_t n>
struct ChainStage : ChunkStage<n, 2, kChunkSamples> {
  uint32_t (&add)[n][kChunkSamples] = this->words[0];
  uint32_t (&subtract)[n][kChunkSamples] = this->words[1];

  void Interleave(int32_t lanes, int32_t samples, Lockstep& s, int32_t at) {
    ChunkStage<n, 2, kChunkSamples>::Interleave(lanes, samples, {s.add.data(), s.subtract.data()},
                                                at);
  }
};

// Each lane's values of a chunk, back in chain order.
template <int32_t n>
void Deinterleave(const Lockstep& s, int32_t at, int32_t samples,
                  uint32_t (*values)[kChunkSamples]) {
  for (int32_t k = 0; k < samples; k += n) {
    Lanes<n>::Transpose(s.values.data() + static_cast<ptrdiff_t>(at + k) * n, n, &values[0][k],
                        kChunkSamples);
  }
}

// The pixels of one sample of every lane, `top` and `bottom`, as pairs side by side: the
// rotated walks' output, where lane l's pair lands in columns 2l and 2l + 1 of one line.
template <int32_t n>
void StoreLanePairs(const uint32_t* top, const uint32_t* bottom, int32_t lanes, uint16_t* out) {
  using L = Lanes<n>;
  const typename L::Reg pairs = L::PixelPairs(L::Load(top), L::Load(bottom));
  if (lanes == n) return L::Store(out, pairs);
  uint32_t words[n];
  L::Store(words, pairs);
  std::memcpy(out, words, lanes * sizeof words[0]);
}

// The 2 by 2 blocks of a chunk in chain order: top left, top right, bottom left, bottom right.
static inline void GatherBlocks(const ChainRow& top, const ChainRow& bottom, int32_t count,
                                uint32_t* add, uint32_t* subtract) {
  const auto pairs = [&](const uint32_t* upper, const uint32_t* lower, uint32_t* out) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
      Lanes<4>::ZipPairs(Lanes<4>::Load(upper + i), Lanes<4>::Load(lower + i), out + 2 * i);
    }
    for (; i < count; i += 2) {
      out[2 * i] = upper[i], out[2 * i + 1] = upper[i + 1];
      out[2 * i + 2] = lower[i], out[2 * i + 3] = lower[i + 1];
    }
  };
  pairs(top.add, bottom.add, add);
  pairs(top.subtract, bottom.subtract, subtract);
}

static inline bool UprightBlockKept(const BlitFrame& f, int32_t x, int32_t y) {
  return f.compare && LumaUnchanged(f, x, y) && LumaUnchanged(f, x, y + 1) &&
         ChromaUnchanged(f, x, y);
}

// Row pairs are the stretches of the one chain that runs through the frame, a lane's worth of
// them at a time.
template <class V>
void DitherUpright(const BlitFrame& f) {
  constexpr int32_t n = kLanesOf<V>;
  const ptrdiff_t pitch = LinePitch(f, f.width);
  const int32_t width = EvenPart(f.width), height = EvenPart(f.height);
  Lockstep& s = ThreadLockstep();
  s.Reserve(ChainStage<n>::RoundUp(2 * width), n);
  uint32_t error = 0;
  for (int32_t top = 0; top < height; top += 2 * n) {
    const int32_t lanes = height - top < 2 * n ? (height - top) / 2 : n;
    for (int32_t start = 0; start < width; start += kStripColumns) {
      const int32_t count = width - start < kStripColumns ? width - start : kStripColumns;
      ChainStage<n> stage;
      for (int32_t l = 0; l < lanes; ++l) {
        const int32_t y = top + 2 * l;
        ChainRow upper, lower;
        PrepareChainWords<V>(
            {{LumaRow(f, y) + start, upper.Words()}, {LumaRow(f, y + 1) + start, lower.Words()}},
            CrRow(f, y) + start / 2, CbRow(f, y) + start / 2, count, f.brightness);
        GatherBlocks(upper, lower, count, stage.add[l], stage.subtract[l]);
        for (int32_t i = 0; f.compare && i < count; i += 2) {
          if (UprightBlockKept(f, start + i, y)) stage.Clear(l, 2 * i, 4);
        }
      }
      stage.Interleave(lanes, 2 * count, s, 2 * start);
    }
    error = RunLockstep<n>(s, error);
    for (int32_t start = 0; start < width; start += kStripColumns) {
      const int32_t count = width - start < kStripColumns ? width - start : kStripColumns;
      uint32_t values[n][kChunkSamples];
      Deinterleave<n>(s, 2 * start, 2 * count, values);
      for (int32_t l = 0; l < lanes; ++l) {
        const int32_t y = top + 2 * l;
        // Each block's pixels are the top pair then the bottom pair.
        uint32_t pairs[kStripColumns];
        PackValues(values[l], reinterpret_cast<uint16_t*>(pairs), 2 * count);
        uint16_t* line = f.destination + y * pitch + start;
        for (int32_t i = 0; i < count; i += 2) {
          if (UprightBlockKept(f, start + i, y)) continue;
          std::memcpy(line + i, &pairs[i], sizeof pairs[i]);
          std::memcpy(line + pitch + i, &pairs[i + 1], sizeof pairs[i]);
        }
      }
    }
  }
}

// The 2 by 2 blocks of a chunk from the right, in chain order: top right, top left, bottom
// right, bottom left.
static inline void GatherBlocksFromRight(const ChainRow& top, const ChainRow& bottom, int32_t count,
                                         uint32_t* add, uint32_t* subtract) {
  const auto pairs = [&](const uint32_t* upper, const uint32_t* lower, uint32_t* out) {
    int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
      Lanes<4>::ZipPairs(Lanes<4>::LoadReversed(upper + count - 4 - n),
                         Lanes<4>::LoadReversed(lower + count - 4 - n), out + 2 * n);
    }
    for (; n < count; n += 2) {
      const int32_t i = count - 1 - n;
      out[2 * n] = upper[i], out[2 * n + 1] = upper[i - 1];
      out[2 * n + 2] = lower[i], out[2 * n + 3] = lower[i - 1];
    }
  };
  pairs(top.add, bottom.add, add);
  pairs(top.subtract, bottom.subtract, subtract);
}

static inline bool RotatedBlockKept(const BlitFrame& f, int32_t x, int32_t y) {
  return f.compare && LumaUnchanged(f, x, y) && LumaUnchanged(f, x - 1, y) &&
         ChromaUnchanged(f, x, y);
}

// As the upright worker, row pairs side by side; a lane's pixels of one source column are
// neighbours on its output line, so each line takes the pairs of every lane at once.
template <class V>
void DitherRotated(const BlitFrame& f) {
  constexpr int32_t n = kLanesOf<V>;
  const int32_t width = EvenPart(f.width), height = EvenPart(f.height);
  Lockstep& s = ThreadLockstep();
  s.Reserve(ChainStage<n>::RoundUp(2 * width), n);
  uint32_t error = 0;
  for (int32_t top = 0; top < height; top += 2 * n) {
    const int32_t lanes = height - top < 2 * n ? (height - top) / 2 : n;
    for (int32_t end = width; end > 0; end -= kStripColumns) {
      const int32_t start = end > kStripColumns ? end - kStripColumns : 0;
      const int32_t count = end - start;
      ChainStage<n> stage;
      for (int32_t l = 0; l < lanes; ++l) {
        const int32_t y = top + 2 * l;
        ChainRow upper, lower;
        PrepareChainWords<V>(
            {{LumaRow(f, y) + start, upper.Words()}, {LumaRow(f, y + 1) + start, lower.Words()}},
            CrRow(f, y) + start / 2, CbRow(f, y) + start / 2, count, f.brightness);
        GatherBlocksFromRight(upper, lower, count, stage.add[l], stage.subtract[l]);
        for (int32_t i = 0; f.compare && i < count; i += 2) {
          if (RotatedBlockKept(f, end - 1 - i, y)) stage.Clear(l, 2 * i, 4);
        }
      }
      stage.Interleave(lanes, 2 * count, s, 2 * (width - end));
    }
    error = RunLockstep<n>(s, error);
    // Sample k of the chain: block k / 4, in the order top x, top x - 1, bottom x, bottom x - 1.
    for (int32_t k = 0; k < 2 * width; k += 4) {
      const int32_t x = width - 1 - k / 2;
      const uint32_t* block = s.values.data() + static_cast<ptrdiff_t>(k) * n;
      if (!f.compare) {
        StoreLanePairs<n>(block, block + 2 * n, lanes,
                          f.destination + RotatedOffset(f, width, x, top));
        StoreLanePairs<n>(block + n, block + 3 * n, lanes,
                          f.destination + RotatedOffset(f, width, x - 1, top));
        continue;
      }
      for (int32_t l = 0; l < lanes; ++l) {
        if (RotatedBlockKept(f, x, top + 2 * l)) continue;
        StorePair(f.destination, RotatedOffset(f, width, x, top + 2 * l), PixelOf(block[l]),
                  PixelOf(block[2 * n + l]));
        StorePair(f.destination, RotatedOffset(f, width, x - 1, top + 2 * l), PixelOf(block[n + l]),
                  PixelOf(block[3 * n + l]));
      }
    }
  }
}

// Strips of 64 columns from the right, and in each strip row pairs side by side; a strip's
// chunk starts at an even column so that the vector sums keep chroma pairs whole.
template <class V>
void DitherRotatedAlt(const BlitFrame& f) {
  constexpr int32_t n = kLanesOf<V>;
  if (f.width < kAltStripColumns) return;
  const int32_t height = 2 * AltRowPairs(f.height);
  Lockstep& s = ThreadLockstep();
  uint32_t error = 0;
  for (int32_t stripEnd = f.width - 1; stripEnd >= 0; stripEnd -= kAltStripColumns) {
    const int32_t stripStart = stripEnd >= kAltStripColumns ? stripEnd - kAltStripColumns + 1 : 0;
    const int32_t start = EvenPart(stripStart);
    const int32_t columns = stripEnd + 1 - stripStart;
    const int32_t last = stripEnd - start;
    s.Reserve(ChainStage<n>::RoundUp(2 * columns), n);
    for (int32_t top = 0; top < height; top += 2 * n) {
      const int32_t lanes = height - top < 2 * n ? (height - top) / 2 : n;
      ChainStage<n> stage;
      // A pair's lower row takes the chroma of the next pair's upper row.
      ChainRow upper[n], lower[n];
      const auto prepare = [&](int32_t chromaRow, std::initializer_list<ChainSource> rows) {
        PrepareChainWords<V>(rows, CrRow(f, chromaRow) + start / 2, CbRow(f, chromaRow) + start / 2,
                             stripEnd + 1 - start, f.brightness);
      };
      const auto source = [&](int32_t y, ChainRow& row) {
        return ChainSource{LumaRow(f, y) + start, row.Words()};
      };
      prepare(top, {source(top, upper[0])});
      for (int32_t l = 0; l + 1 < lanes; ++l) {
        const int32_t y = top + 2 * l;
        prepare(y + 2, {source(y + 1, lower[l]), source(y + 2, upper[l + 1])});
      }
      const int32_t lastY = top + 2 * (lanes - 1);
      prepare(lastY + 2, {source(lastY + 1, lower[lanes - 1])});
      for (int32_t l = 0; l < lanes; ++l) {
        // Columns from the right, each top then bottom.
        const auto interleave = [&](const uint32_t* t, const uint32_t* b, uint32_t* out) {
          int32_t i = 0;
          for (; i + 4 <= columns; i += 4) {
            Lanes<4>::ZipWords(Lanes<4>::LoadReversed(t + last - 3 - i),
                               Lanes<4>::LoadReversed(b + last - 3 - i), out + 2 * i);
          }
          for (; i < columns; ++i) out[2 * i] = t[last - i], out[2 * i + 1] = b[last - i];
        };
        interleave(upper[l].add, lower[l].add, stage.add[l]);
        interleave(upper[l].subtract, lower[l].subtract, stage.subtract[l]);
      }
      stage.Interleave(lanes, 2 * columns, s, 0);
      error = RunLockstep<n>(s, error);
      for (int32_t i = 0; i < columns; ++i) {
        const uint32_t* column = s.values.data() + static_cast<ptrdiff_t>(2 * i) * n;
        StoreLanePairs<n>(column, column + n, lanes,
                          f.destination + RotatedOffset(f, f.width, stripEnd - i, top));
      }
    }
  }
}

// The doublers' chain steps are long dependency chains: they run two registers of rows at once.
template <class V>
constexpr int32_t kDoubledLanesOf = 2 * kLanesOf<V>;

// The interpolating doubler's inputs and outputs for up to kCount rows side by side, as in
// Lockstep: per source sample the dithered conversion's add and subtract words, the complemented
// interpolated sample of the row below, all ones where the compare rule keeps the sample, and its
// pixels as the pair on the upper line and the pair on the lower one.
struct DoubledLockstep {
  std::vector<uint32_t> add, subtract, under, kept, upper, lower;
  int32_t length = 0;

  void Reserve(int32_t samples, int32_t lanes) {
    const size_t words = static_cast<size_t>(samples) * lanes;
    for (auto* array : {&add, &subtract, &under, &kept, &upper, &lower}) {
      if (array->size() < words) array->resize(words);
    }
    length = samples;
  }
};

inline DoubledLockstep& ThreadDoubledLockstep() {
  thread_local DoubledLockstep lockstep;
  return lockstep;
}

// One sample of every lane, from its incoming errors: its four pixels' channels and its
// outgoing errors. The last column shows its top left pixel four times and carries the errors of
// its bottom left. Everything here is complemented (255 - v per byte): the integer half of a sum
// is then one rounding-up average, 255 - (a + b) / 2 = (255 - a + 255 - b + 1) / 2, and the
// dithered conversion's clamps swap, so each step is one instruction.
template <int32_t n>
struct DoubledSample {
  typename Lanes<n>::Reg topLeft, topRight, bottomLeft, bottomRight, outgoing;
};

// Sample k's word of every lane in one of the lockstep's arrays.
template <int32_t n>
BLIT_INLINE typename Lanes<n>::Reg LaneWords(const std::vector<uint32_t>& words, int32_t k) {
  return Lanes<n>::Load(words.data() + static_cast<ptrdiff_t>(k) * n);
}

// 255 - clamp(s + e) for sample k from 255 - e.
template <int32_t n>
BLIT_INLINE typename Lanes<n>::Reg DitheredComplement(const DoubledLockstep& s, int32_t k,
                                                      typename Lanes<n>::Reg error) {
  using L = Lanes<n>;
  return L::SubsU8(L::AddsU8(error, LaneWords<n>(s.subtract, k)), LaneWords<n>(s.add, k));
}

template <int32_t n, bool kLast>
BLIT_INLINE DoubledSample<n> ConvertDoubled(const DoubledLockstep& s, int32_t k,
                                            typename Lanes<n>::Reg error) {
  using L = Lanes<n>;
  using R = typename L::Reg;
  const R notMask = L::Same(~kErrorMaskWord);
  const auto at = [](const std::vector<uint32_t>& words, int32_t i) {
    return LaneWords<n>(words, i);
  };
  const auto dithered = [&s](R e, int32_t i) { return DitheredComplement<n>(s, i, e); };
  const R left = dithered(error, k);
  const R leftBelow = L::Average(left, at(s.under, k));
  if (kLast) return {left, left, left, left, L::Or(leftBelow, notMask)};
  const R right = L::Average(leftBelow, dithered(L::Or(leftBelow, notMask), k + 1));
  const R rightBelow = L::Average(right, at(s.under, k + 1));
  return {left, right, leftBelow, rightBelow, L::Or(rightBelow, notMask)};
}

// Sample k's outgoing errors, complemented; under the compare rule, a kept sample passes its
// incoming ones through.
template <int32_t n, bool kCompare>
BLIT_INLINE typename Lanes<n>::Reg DoubledOutgoing(const DoubledLockstep& s, int32_t k,
                                                   typename Lanes<n>::Reg error) {
  using L = Lanes<n>;
  const typename L::Reg outgoing = k + 1 == s.length
                                       ? ConvertDoubled<n, true>(s, k, error).outgoing
                                       : ConvertDoubled<n, false>(s, k, error).outgoing;
  if (!kCompare) return outgoing;
  return L::Select(L::Load(s.kept.data() + static_cast<ptrdiff_t>(k) * n), error, outgoing);
}

// The real run of samples [from, to) from the complemented errors `error`, storing the pixel
// pairs; returns the complemented errors after them.
template <int32_t n, bool kCompare>
typename Lanes<n>::Reg RunDoubled(DoubledLockstep& s, int32_t from, int32_t to,
                                  typename Lanes<n>::Reg error) {
  using L = Lanes<n>;
  const auto store = [&s, &error](int32_t k, const DoubledSample<n>& d) {
    const ptrdiff_t at = static_cast<ptrdiff_t>(k) * n;
    L::Store(s.upper.data() + at, L::ComplementPixelPairs(d.topLeft, d.topRight));
    L::Store(s.lower.data() + at, L::ComplementPixelPairs(d.bottomLeft, d.bottomRight));
    if (!kCompare) return d.outgoing;
    return L::Select(L::Load(s.kept.data() + at), error, d.outgoing);
  };
  for (int32_t k = from; k < to; ++k) {
    error = k + 1 == s.length ? store(k, ConvertDoubled<n, true>(s, k, error))
                              : store(k, ConvertDoubled<n, false>(s, k, error));
  }
  return error;
}

// Each row is a stretch of the one chain through the frame, as in RunLockstep; the averaging
// with the row below makes the eight runs of a row agree after a few samples.
template <int32_t n, bool kCompare>
uint32_t RunDoubledLockstep(DoubledLockstep& s, uint32_t error) {
  using L = Lanes<n>;
  using R = typename L::Reg;
  constexpr int32_t kCheckEvery = 8;
  const R ones = L::Same(~0u);
  R ends[kErrorStates];
  for (int32_t e = 0; e < kErrorStates; ++e) ends[e] = L::Same(~SameErrorsWord(e));
  int32_t known = s.length;
  for (int32_t k = 0; k < s.length; ++k) {
    for (R& end : ends) end = DoubledOutgoing<n, kCompare>(s, k, end);
    if (k % kCheckEvery == kCheckEvery - 1 && Settled<n>(ends, L::Same(0))) {
      known = k + 1;
      break;
    }
  }
  uint32_t table[kErrorStates][n];
  if (known < s.length) {
    const R out = L::Xor(RunDoubled<n, kCompare>(s, known, s.length, ends[0]), ones);
    for (auto& row : table) L::Store(row, out);
  } else {
    for (int32_t e = 0; e < kErrorStates; ++e) L::Store(table[e], L::Xor(ends[e], ones));
  }
  uint32_t incoming[n];
  for (int32_t l = 0; l < n; ++l) {
    incoming[l] = error;
    error = (table[error & 0xFF][l] & 0xFF) | (table[error >> 8 & 0xFF][l] & 0xFF00) |
            (table[error >> 16][l] & 0xFF0000);
  }
  RunDoubled<n, kCompare>(s, 0, known, L::Xor(L::Load(incoming), ones));
  return error;
}

// Stages rows [top, top + lanes) into the doublers' lockstep chunk by chunk: each row's add and
// subtract words in its own lane and its complemented interpolated samples in lane l - shift
// (none where that is negative); `more(start, count, under)` adds what else a chunk needs.
template <class V, int32_t n, class More>
void StageDoubledRows(const BlitFrame& f, DoubledLockstep& s, int32_t top, int32_t lanes,
                      int32_t shift, More more) {
  for (int32_t start = 0; start < f.width; start += kStripColumns) {
    const int32_t count = f.width - start < kStripColumns ? f.width - start : kStripColumns;
    ChunkStage<n, 3, kStripColumns> stage;
    // Named references: the lambda below captures them, which older compilers refuse for a
    // structured binding.
    auto &add = stage.words[0], &subtract = stage.words[1], &under = stage.words[2];
    PrepareRows<V>(f, start, count, top, lanes, [&](int32_t y) {
      const int32_t l = y - top;
      return ChainWords{.add = add[l],
                        .subtract = subtract[l],
                        .interpolatedComplement = l >= shift ? under[l - shift] : nullptr};
    });
    more(start, count, under);
    stage.Interleave(lanes, count, {s.add.data(), s.subtract.data(), s.under.data()}, start);
  }
}

// The interpolating doubler: per source sample, two dithered conversions from the row and two
// interpolated ones from the row below (the last row is its own row below), rows side by side.
template <class V>
void DitherUprightDouble(const BlitFrame& f) {
  constexpr int32_t n = kDoubledLanesOf<V>;
  const ptrdiff_t pitch = DoubledLinePitch(f, f.width);
  DoubledLockstep& s = ThreadDoubledLockstep();
  const int32_t rounded = ChunkStage<n, 3, kStripColumns>::RoundUp(f.width);
  s.Reserve(rounded, n);
  s.length = f.width;
  // Kept samples are marked straight into the lockstep; lanes past the picture stay unmarked.
  if (f.compare) std::fill_n(s.kept.begin(), static_cast<size_t>(rounded) * n, 0u);
  uint32_t error = 0;
  for (int32_t top = 0; top < f.height; top += n) {
    const int32_t lanes = f.height - top < n ? f.height - top : n;
    // Each row's interpolated samples are the row below of the lane before; the last lane's
    // row below is the next row, or the picture's last row itself.
    StageDoubledRows<V, n>(f, s, top, lanes, 1, [&](int32_t start, int32_t count, auto& under) {
      const int32_t below = top + lanes < f.height ? top + lanes : f.height - 1;
      PrepareChainWords<V>(
          {{LumaRow(f, below) + start, {.interpolatedComplement = under[lanes - 1]}}},
          CrRow(f, below) + start / 2, CbRow(f, below) + start / 2, count, f.brightness);
      for (int32_t l = 0; f.compare && l < lanes; ++l) {
        for (int32_t x = start; x < start + count; ++x) {
          s.kept[static_cast<size_t>(x) * n + l] =
              LumaUnchanged(f, x, top + l) && ChromaUnchanged(f, x, top + l) ? ~0u : 0;
        }
      }
    });
    error =
        f.compare ? RunDoubledLockstep<n, true>(s, error) : RunDoubledLockstep<n, false>(s, error);
    for (int32_t start = 0; start < f.width; start += n) {
      const int32_t count = f.width - start < n ? f.width - start : n;
      const ptrdiff_t at = static_cast<ptrdiff_t>(start) * n;
      if (!f.compare && count == n && lanes == n) {
        uint16_t* line = f.destination + 2 * top * pitch + 2 * start;
        Lanes<n>::Transpose(s.upper.data() + at, n, line, 2 * pitch);
        Lanes<n>::Transpose(s.lower.data() + at, n, line + pitch, 2 * pitch);
        continue;
      }
      uint32_t upper[n][n], lower[n][n];
      Lanes<n>::Transpose(s.upper.data() + at, n, &upper[0][0], n);
      Lanes<n>::Transpose(s.lower.data() + at, n, &lower[0][0], n);
      for (int32_t l = 0; l < lanes; ++l) {
        uint16_t* line = f.destination + 2 * (top + l) * pitch + 2 * start;
        if (!f.compare) {
          std::memcpy(line, upper[l], count * sizeof upper[l][0]);
          std::memcpy(line + pitch, lower[l], count * sizeof lower[l][0]);
          continue;
        }
        for (int32_t i = 0; i < count; ++i) {
          if (s.kept[at + i * n + l]) continue;
          std::memcpy(line + 2 * i, &upper[l][i], sizeof upper[l][i]);
          std::memcpy(line + pitch + 2 * i, &lower[l][i], sizeof lower[l][i]);
        }
      }
    }
  }
}

// Rotated doubled with interpolation: every source row starts its own chain, so rows run side by
// side with no tabulating, walking the columns from the right, and their pixel pairs are
// neighbours on each output line. Complemented as in the upright doubler.
template <class V>
void DitherRotatedDouble(const BlitFrame& f) {
  constexpr int32_t n = kDoubledLanesOf<V>;
  using L = Lanes<n>;
  using R = typename L::Reg;
  const ptrdiff_t pitch = DoubledLinePitch(f, f.height) & ~ptrdiff_t{1};
  DoubledLockstep& s = ThreadDoubledLockstep();
  s.Reserve(ChunkStage<n, 3, kStripColumns>::RoundUp(f.width), n);
  const R notMask = L::Same(~kErrorMaskWord);
  const auto dithered = [&s](R e, int32_t x) { return DitheredComplement<n>(s, x, e); };
  for (int32_t top = 0; top < f.height; top += n) {
    const int32_t lanes = f.height - top < n ? f.height - top : n;
    // Each row's interpolated samples are its own next column's, in its own lane.
    StageDoubledRows<V, n>(f, s, top, lanes, 0, [](int32_t, int32_t, auto&) {});
    const auto store = [&](uint16_t* line, R pairs) {
      if (lanes == n) return L::Store(line, pairs);
      uint32_t words[n];
      L::Store(words, pairs);
      std::memcpy(line, words, lanes * sizeof words[0]);
    };
    R error = L::Same(~SameErrorsWord(kRotatedDoubleStartError));
    for (int32_t x = f.width - 1; x >= 1; --x) {
      uint16_t* line = f.destination + RotatedDoubleOffset(f, pitch, x, top);
      const R first = dithered(error, x);
      if (x == 1) {
        store(line, L::ComplementPixelPairs(first, first));
        store(line + pitch, L::ComplementPixelPairs(first, first));
        break;
      }
      const R second = dithered(L::Or(first, notMask), x);
      const R next = LaneWords<n>(s.under, x - 1);
      const R nearSecond = L::Average(second, next);
      const R nearNext = L::Average(next, nearSecond);
      error = L::Or(nearNext, notMask);
      store(line, L::ComplementPixelPairs(first, second));
      store(line + pitch, L::ComplementPixelPairs(nearSecond, nearNext));
    }
  }
}

template <class V>
constexpr BlitKernels Kernels() {
  return {
      .blitUpright = BlitUpright<V>,
      .ditherUpright = DitherUpright<V>,
      .blitUprightDouble = BlitUprightDouble<V>,
      .ditherUprightDouble = DitherUprightDouble<V>,
      .blitRotated = BlitRotated<V>,
      .ditherRotated = DitherRotated<V>,
      .blitRotatedAlt = BlitRotatedAlt<V>,
      .ditherRotatedAlt = DitherRotatedAlt<V>,
      .blitRotatedDouble = BlitRotatedDouble<V>,
      .ditherRotatedDouble = DitherRotatedDouble<V>,
  };
}

}  // namespace
}  // namespace vector_blit
