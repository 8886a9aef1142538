// Dithering chains run side by side. The carried error makes each sample of a chain wait for the
// one before, but separate stretches of one chain only wait for each other at their ends: a
// stretch's outgoing errors are a function of its incoming ones, which take at most eight values
// per channel. So each lane of a register runs one stretch, first under all eight incoming
// errors at once (which tabulates that function), then, once each stretch's true incoming errors
// are known from the one before, for real. Internal linkage, for the reason given in
// colour_conversion.h.
#pragma once

#include <emmintrin.h>
#ifdef __AVX2__
#include <immintrin.h>
#endif

#include <cstddef>
#include <cstdint>
#include <vector>

#include "video/colour_conversion.h"

namespace vector_blit {
namespace {

// The carried errors take at most this many values per channel.
constexpr int32_t kErrorStates = kRedBlueErrorMask + 1;

// Error e in every channel of a word (red, green and blue in bytes 0, 1 and 2).
constexpr uint32_t SameErrorsWord(int32_t e) {
  return static_cast<uint32_t>(e) * 0x010101u;
}

constexpr uint32_t kErrorMaskWord =
    kRedBlueErrorMask | kGreenErrorMask << 8 | static_cast<uint32_t>(kRedBlueErrorMask) << 16;

// Chains side by side, one word per lane: four lanes in an SSE2 register, eight in an AVX2 one,
// and more as several registers (see below).
template <int32_t kCount>
struct Lanes;

template <>
struct Lanes<4> {
  using Reg = __m128i;
  static __m128i Load(const uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }
  template <class T>
  static void Store(T* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
  }
  static __m128i Same(uint32_t word) { return _mm_set1_epi32(static_cast<int32_t>(word)); }
  static __m128i AddsU8(__m128i a, __m128i b) { return _mm_adds_epu8(a, b); }
  static __m128i SubsU8(__m128i a, __m128i b) { return _mm_subs_epu8(a, b); }
  static __m128i And(__m128i a, __m128i b) { return _mm_and_si128(a, b); }
  static __m128i Or(__m128i a, __m128i b) { return _mm_or_si128(a, b); }
  static __m128i AndNot(__m128i a, __m128i b) { return _mm_andnot_si128(a, b); }
  static __m128i Add8(__m128i a, __m128i b) { return _mm_add_epi8(a, b); }
  static __m128i MaxU8(__m128i a, __m128i b) { return _mm_max_epu8(a, b); }
  static __m128i Equal8(__m128i a, __m128i b) { return _mm_cmpeq_epi8(a, b); }
  static __m128i Average(__m128i a, __m128i b) { return _mm_avg_epu8(a, b); }  // rounding up
  static __m128i Select(__m128i condition, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(condition, yes), _mm_andnot_si128(condition, no));
  }
  // The 5-6-5 pixels of channel words, the first of each pair in the low half of a word; the
  // complemented form takes 255 - v per byte.
  static __m128i PixelPairs(__m128i first, __m128i second) {
    return _mm_or_si128(Pixels(first), _mm_slli_epi32(Pixels(second), 16));
  }
  static __m128i ComplementPixelPairs(__m128i first, __m128i second) {
    const __m128i ones = _mm_set1_epi32(-1);
    return PixelPairs(_mm_xor_si128(first, ones), _mm_xor_si128(second, ones));
  }
  static __m128i Pixels(__m128i v) {
    const auto part = [v](int shift, int bits) {
      return _mm_and_si128(_mm_srli_epi32(v, shift), _mm_set1_epi32(bits));
    };
    return _mm_or_si128(_mm_or_si128(part(3, 0x1F), part(5, 0x7E0)), part(8, 0xF800));
  }
  static __m128i Xor(__m128i a, __m128i b) { return _mm_xor_si128(a, b); }
  static bool AllZero(__m128i v) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())) == 0xFFFF;
  }
  // Rows of 4 words, `inStride` words apart, stored as columns `outStride` elements of `out`
  // apart (words, or pixels when the words are pixel pairs).
  template <class T>
  static void Transpose(const uint32_t* in, ptrdiff_t inStride, T* out, ptrdiff_t outStride) {
    const __m128i r0 = Load(in), r1 = Load(in + inStride);
    const __m128i r2 = Load(in + 2 * inStride), r3 = Load(in + 3 * inStride);
    const __m128i t0 = _mm_unpacklo_epi32(r0, r1), t1 = _mm_unpacklo_epi32(r2, r3);
    const __m128i t2 = _mm_unpackhi_epi32(r0, r1), t3 = _mm_unpackhi_epi32(r2, r3);
    const auto store = [&](int32_t k, __m128i v) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k * outStride), v);
    };
    store(0, _mm_unpacklo_epi64(t0, t1));
    store(1, _mm_unpackhi_epi64(t0, t1));
    store(2, _mm_unpacklo_epi64(t2, t3));
    store(3, _mm_unpackhi_epi64(t2, t3));
  }
};

#ifdef __AVX2__
template <>
struct Lanes<8> {
  using Reg = __m256i;
  static __m256i Load(const uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  }
  template <class T>
  static void Store(T* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
  }
  static __m256i Same(uint32_t word) { return _mm256_set1_epi32(static_cast<int32_t>(word)); }
  static __m256i AddsU8(__m256i a, __m256i b) { return _mm256_adds_epu8(a, b); }
  static __m256i SubsU8(__m256i a, __m256i b) { return _mm256_subs_epu8(a, b); }
  static __m256i And(__m256i a, __m256i b) { return _mm256_and_si256(a, b); }
  static __m256i Or(__m256i a, __m256i b) { return _mm256_or_si256(a, b); }
  static __m256i AndNot(__m256i a, __m256i b) { return _mm256_andnot_si256(a, b); }
  static __m256i Add8(__m256i a, __m256i b) { return _mm256_add_epi8(a, b); }
  static __m256i MaxU8(__m256i a, __m256i b) { return _mm256_max_epu8(a, b); }
  static __m256i Equal8(__m256i a, __m256i b) { return _mm256_cmpeq_epi8(a, b); }
  static __m256i Average(__m256i a, __m256i b) { return _mm256_avg_epu8(a, b); }
  static __m256i Select(__m256i condition, __m256i yes, __m256i no) {
    return _mm256_blendv_epi8(no, yes, condition);
  }
  static __m256i PixelPairs(__m256i first, __m256i second) {
    const __m256i bits = _mm256_set1_epi32(kPixelBits);
    return PairsOfKeptBits(_mm256_and_si256(first, bits), _mm256_and_si256(second, bits));
  }
  static __m256i ComplementPixelPairs(__m256i first, __m256i second) {
    const __m256i bits = _mm256_set1_epi32(kPixelBits);
    return PairsOfKeptBits(_mm256_andnot_si256(first, bits), _mm256_andnot_si256(second, bits));
  }
  // The channel bits a 5-6-5 pixel keeps. With the others cleared, red + 64 green is 8 times the
  // pixel's low 11 bits and blue 8 times its top 5 over 2048, so two multiply-adds give 8 times
  // the pixel.
  static constexpr int32_t kPixelBits = 0x00F8FCF8;
  static __m256i PairsOfKeptBits(__m256i first, __m256i second) {
    const auto eightTimes = [](__m256i kept) {
      const __m256i halves = _mm256_maddubs_epi16(kept, _mm256_set1_epi32(0x00014001));
      return _mm256_madd_epi16(halves, _mm256_set1_epi32(0x08000001));
    };
    return _mm256_or_si256(_mm256_srli_epi32(eightTimes(first), 3),
                           _mm256_slli_epi32(eightTimes(second), 13));
  }
  static __m256i Xor(__m256i a, __m256i b) { return _mm256_xor_si256(a, b); }
  static bool AllZero(__m256i v) { return _mm256_testz_si256(v, v); }
  template <class T>
  static void Transpose(const uint32_t* in, ptrdiff_t inStride, T* out, ptrdiff_t outStride) {
    __m256i r[8];
    for (int32_t k = 0; k < 8; ++k) r[k] = Load(in + k * inStride);
    __m256i t[8], u[8];
    for (int32_t k = 0; k < 8; k += 2) {
      t[k] = _mm256_unpacklo_epi32(r[k], r[k + 1]);
      t[k + 1] = _mm256_unpackhi_epi32(r[k], r[k + 1]);
    }
    for (int32_t k = 0; k < 8; k += 4) {
      u[k] = _mm256_unpacklo_epi64(t[k], t[k + 2]);
      u[k + 1] = _mm256_unpackhi_epi64(t[k], t[k + 2]);
      u[k + 2] = _mm256_unpacklo_epi64(t[k + 1], t[k + 3]);
      u[k + 3] = _mm256_unpackhi_epi64(t[k + 1], t[k + 3]);
    }
    const auto store = [&](int32_t k, __m256i v) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k * outStride), v);
    };
    for (int32_t k = 0; k < 4; ++k) {
      store(k, _mm256_permute2x128_si256(u[k], u[k + 4], 0x20));
      store(k + 4, _mm256_permute2x128_si256(u[k], u[k + 4], 0x31));
    }
  }
};
#endif

// Twice as many lanes as one register holds, as two registers: chains whose steps are long
// dependency chains then run two at a time.
template <int32_t kCount>
struct Lanes {
  using Half = Lanes<kCount / 2>;
  static constexpr int32_t kHalf = kCount / 2;
  struct Reg {
    typename Half::Reg low, high;
  };
  static Reg Load(const uint32_t* p) { return {Half::Load(p), Half::Load(p + kHalf)}; }
  template <class T>
  static void Store(T* p, Reg v) {
    Half::Store(p, v.low);
    Half::Store(p + kHalf * WordsAs<T>(), v.high);
  }
  static Reg Same(uint32_t word) { return {Half::Same(word), Half::Same(word)}; }
  static Reg AddsU8(Reg a, Reg b) {
    return {Half::AddsU8(a.low, b.low), Half::AddsU8(a.high, b.high)};
  }
  static Reg SubsU8(Reg a, Reg b) {
    return {Half::SubsU8(a.low, b.low), Half::SubsU8(a.high, b.high)};
  }
  static Reg And(Reg a, Reg b) { return {Half::And(a.low, b.low), Half::And(a.high, b.high)}; }
  static Reg Or(Reg a, Reg b) { return {Half::Or(a.low, b.low), Half::Or(a.high, b.high)}; }
  static Reg Xor(Reg a, Reg b) { return {Half::Xor(a.low, b.low), Half::Xor(a.high, b.high)}; }
  static Reg AndNot(Reg a, Reg b) {
    return {Half::AndNot(a.low, b.low), Half::AndNot(a.high, b.high)};
  }
  static Reg Average(Reg a, Reg b) {
    return {Half::Average(a.low, b.low), Half::Average(a.high, b.high)};
  }
  static Reg Select(Reg c, Reg yes, Reg no) {
    return {Half::Select(c.low, yes.low, no.low), Half::Select(c.high, yes.high, no.high)};
  }
  static Reg PixelPairs(Reg a, Reg b) {
    return {Half::PixelPairs(a.low, b.low), Half::PixelPairs(a.high, b.high)};
  }
  static Reg ComplementPixelPairs(Reg a, Reg b) {
    return {Half::ComplementPixelPairs(a.low, b.low), Half::ComplementPixelPairs(a.high, b.high)};
  }
  static bool AllZero(Reg v) { return Half::AllZero(Half::Or(v.low, v.high)); }
  // Block (i, j) of the input becomes block (j, i) of the output.
  template <class T>
  static void Transpose(const uint32_t* in, ptrdiff_t inStride, T* out, ptrdiff_t outStride) {
    const ptrdiff_t across = kHalf * WordsAs<T>(), down = kHalf * outStride;
    Half::Transpose(in, inStride, out, outStride);
    Half::Transpose(in + kHalf, inStride, out + down, outStride);
    Half::Transpose(in + kHalf * inStride, inStride, out + across, outStride);
    Half::Transpose(in + kHalf * inStride + kHalf, inStride, out + down + across, outStride);
  }

 private:
  // Elements of T per word: 1 for words, 2 for pixels when the words are pixel pairs.
  template <class T>
  static constexpr ptrdiff_t WordsAs() {
    return static_cast<ptrdiff_t>(sizeof(uint32_t) / sizeof(T));
  }
};

// The lanes of vector path V: a word per lane in its register.
template <class V>
constexpr int32_t kLanesOf = sizeof(typename V::Reg) / sizeof(uint32_t);

// clamp(s + e) per channel, from the unsigned saturated bytes of max(s, 0) and max(-s, 0).
template <int32_t n>
typename Lanes<n>::Reg DitherStep(typename Lanes<n>::Reg error, typename Lanes<n>::Reg add,
                                  typename Lanes<n>::Reg subtract) {
  using L = Lanes<n>;
  return L::AddsU8(L::SubsU8(error, subtract), add);
}

// The samples of up to kCount stretches, lane l's sample k at word k * kCount + l; unused lanes
// and the samples that round the length up to whole transposes have zero sums, which pass the
// errors through unchanged.
struct Lockstep {
  std::vector<uint32_t> add, subtract, values;
  int32_t length = 0;

  void Reserve(int32_t samples, int32_t lanes) {
    const size_t words = static_cast<size_t>(samples) * lanes;
    if (add.size() < words) add.resize(words), subtract.resize(words), values.resize(words);
    length = samples;
  }
};

// The buffers of the calling thread, kept between calls so that a frame allocates nothing.
inline Lockstep& ThreadLockstep() {
  thread_local Lockstep lockstep;
  return lockstep;
}

// The real run of samples [from, to) of every lane from the errors `error`; returns the errors
// after them.
template <int32_t n>
typename Lanes<n>::Reg RunStretches(Lockstep& s, int32_t from, int32_t to,
                                    typename Lanes<n>::Reg error) {
  using L = Lanes<n>;
  using R = typename L::Reg;
  const R mask = L::Same(kErrorMaskWord);
  const uint32_t* add = s.add.data();
  const uint32_t* subtract = s.subtract.data();
  uint32_t* values = s.values.data();
  for (int32_t k = from; k < to; ++k) {
    const R value = DitherStep<n>(error, L::Load(add + k * n), L::Load(subtract + k * n));
    L::Store(values + k * n, value);
    error = L::And(value, mask);
  }
  return error;
}

// Per lane and channel, all ones where no sample of the stretch can clamp whatever its incoming
// error: every sum is at least 0 and at most 255 less the largest error. Such a stretch only
// turns its incoming error round: out(e) = (out(0) + e) & mask.
template <int32_t n>
typename Lanes<n>::Reg RotatingChannels(const Lockstep& s) {
  using L = Lanes<n>;
  using R = typename L::Reg;
  const R zero = L::Same(0);
  R subtracted = zero, largest = zero;
  for (int32_t k = 0; k < s.length; ++k) {
    subtracted = L::Or(subtracted, L::Load(s.subtract.data() + k * n));
    largest = L::MaxU8(largest, L::Load(s.add.data() + k * n));
  }
  const R limit = L::Same(0xFF000000u | (kChannelMax - kRedBlueErrorMask) << 16 |
                          (kChannelMax - kGreenErrorMask) << 8 | (kChannelMax - kRedBlueErrorMask));
  return L::And(L::Equal8(subtracted, zero), L::Equal8(L::SubsU8(largest, limit), zero));
}

// Whether the eight runs of every lane and channel agree, apart from the rotating channels, whose
// runs never do.
template <int32_t n>
bool Settled(const typename Lanes<n>::Reg (&ends)[kErrorStates], typename Lanes<n>::Reg rotating) {
  using L = Lanes<n>;
  typename L::Reg differ = L::Xor(ends[1], ends[0]);
  for (int32_t e = 2; e < kErrorStates; ++e) differ = L::Or(differ, L::Xor(ends[e], ends[0]));
  return L::AllZero(L::AndNot(rotating, differ));
}

// Runs the stretches, lane l starting with the errors lane l - 1 ends with and lane 0 with
// `error`; fills `values` with each sample's clamped channels and returns the last lane's
// outgoing errors. A clamp makes a chain forget its past: once the eight runs of every channel
// agree, or the channel only rotates, the rest of each stretch needs one run, and each lane's
// outgoing errors follow from where it ends.
template <int32_t n>
uint32_t RunLockstep(Lockstep& s, uint32_t error) {
  using L = Lanes<n>;
  using R = typename L::Reg;
  constexpr int32_t kCheckEvery = 16;
  const R mask = L::Same(kErrorMaskWord);
  const R rotating = RotatingChannels<n>(s);
  R ends[kErrorStates];
  for (int32_t e = 0; e < kErrorStates; ++e) ends[e] = L::Same(SameErrorsWord(e));
  int32_t known = s.length;  // the runs stopped here
  for (int32_t k = 0; k < s.length; ++k) {
    const R add = L::Load(s.add.data() + k * n), subtract = L::Load(s.subtract.data() + k * n);
    for (R& end : ends) end = L::And(DitherStep<n>(end, add, subtract), mask);
    if (k % kCheckEvery == kCheckEvery - 1 && Settled<n>(ends, rotating)) {
      known = k + 1;
      break;
    }
  }
  uint32_t table[kErrorStates][n];  // each lane's outgoing errors for incoming errors e
  if (known < s.length) {
    // The values stored for the rest are right wherever the runs agreed.
    const R out = RunStretches<n>(s, known, s.length, ends[0]);
    for (int32_t e = 0; e < kErrorStates; ++e) {
      const R turned = L::And(L::Add8(out, L::Same(SameErrorsWord(e))), mask);
      L::Store(table[e], L::Or(L::And(rotating, turned), L::AndNot(rotating, out)));
    }
  } else {
    for (int32_t e = 0; e < kErrorStates; ++e) L::Store(table[e], ends[e]);
  }
  uint32_t incoming[n];
  for (int32_t l = 0; l < n; ++l) {
    incoming[l] = error;
    error = (table[error & 0xFF][l] & 0xFF) | (table[error >> 8 & 0xFF][l] & 0xFF00) |
            (table[error >> 16][l] & 0xFF0000);
  }
  // A rotating channel's values after the stop are those of incoming error 0: run it all again.
  const bool rerun = known == s.length || !L::AllZero(L::And(rotating, L::Same(0x00FFFFFFu)));
  RunStretches<n>(s, 0, rerun ? s.length : known, L::Load(incoming));
  return error;
}

}  // namespace
}  // namespace vector_blit
