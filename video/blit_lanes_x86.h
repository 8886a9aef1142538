// The lanes of the x86 paths: four in an SSE2 register, eight in an AVX2 one (the AVX2 file
// builds both VEX-encoded), and more as pairs of registers (blit_lanes.h). Internal linkage, for
// the reason given in colour_conversion.h.
#pragma once

#include <emmintrin.h>
#ifdef __AVX2__
#include <immintrin.h>
#endif

#include <cstddef>
#include <cstdint>

#include "video/blit_lanes.h"

namespace vector_blit {
namespace {

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
  // 16 samples' red, green and blue bytes as words (red, green, blue, 0) in sample order.
  static void StoreChainBytes(__m128i red, __m128i green, __m128i blue, uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i redGreenLow = _mm_unpacklo_epi8(red, green),
                  redGreenHigh = _mm_unpackhi_epi8(red, green);
    const __m128i blueLow = _mm_unpacklo_epi8(blue, zero), blueHigh = _mm_unpackhi_epi8(blue, zero);
    Store(out, _mm_unpacklo_epi16(redGreenLow, blueLow));
    Store(out + 4, _mm_unpackhi_epi16(redGreenLow, blueLow));
    Store(out + 8, _mm_unpacklo_epi16(redGreenHigh, blueHigh));
    Store(out + 12, _mm_unpackhi_epi16(redGreenHigh, blueHigh));
  }
  // Words p[3], p[2], p[1], p[0].
  static __m128i LoadReversed(const uint32_t* p) {
    return _mm_shuffle_epi32(Load(p), _MM_SHUFFLE(0, 1, 2, 3));
  }
  // a0 a1 b0 b1 a2 a3 b2 b3.
  static void ZipPairs(__m128i a, __m128i b, uint32_t* out) {
    Store(out, _mm_unpacklo_epi64(a, b));
    Store(out + 4, _mm_unpackhi_epi64(a, b));
  }
  // a0 b0 a1 b1 a2 b2 a3 b3.
  static void ZipWords(__m128i a, __m128i b, uint32_t* out) {
    Store(out, _mm_unpacklo_epi32(a, b));
    Store(out + 4, _mm_unpackhi_epi32(a, b));
  }
  // Eight words' channels as eight 5-6-5 pixels: sign-extended from bit 15, so that the signed
  // pack keeps all 16 bits.
  static void StoreEightPixels(const uint32_t* words, uint16_t* pixels) {
    const auto extended = [](__m128i v) {
      return _mm_srai_epi32(_mm_slli_epi32(Pixels(v), 16), 16);
    };
    Store(pixels, _mm_packs_epi32(extended(Load(words)), extended(Load(words + 4))));
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
  // 32 samples, packed within 128-bit lanes as [0-7, 16-23 | 8-15, 24-31]: the unpacks give
  // words [0-3 | 8-11], [4-7 | 12-15], [16-19 | 24-27] and [20-23 | 28-31], which two lane swaps
  // order.
  static void StoreChainBytes(__m256i red, __m256i green, __m256i blue, uint32_t* out) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i redGreenLow = _mm256_unpacklo_epi8(red, green);
    const __m256i redGreenHigh = _mm256_unpackhi_epi8(red, green);
    const __m256i blueLow = _mm256_unpacklo_epi8(blue, zero);
    const __m256i blueHigh = _mm256_unpackhi_epi8(blue, zero);
    const auto store = [out](int32_t at, __m256i first, __m256i second) {
      Store(out + at, _mm256_permute2x128_si256(first, second, 0x20));
      Store(out + at + 8, _mm256_permute2x128_si256(first, second, 0x31));
    };
    store(0, _mm256_unpacklo_epi16(redGreenLow, blueLow),
          _mm256_unpackhi_epi16(redGreenLow, blueLow));
    store(16, _mm256_unpacklo_epi16(redGreenHigh, blueHigh),
          _mm256_unpackhi_epi16(redGreenHigh, blueHigh));
  }
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

}  // namespace
}  // namespace vector_blit
