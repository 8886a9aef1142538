// SSE2 building blocks shared by the x86 blit paths (the AVX2 file builds them VEX-encoded).
// Internal linkage, for the reason given in colour_conversion.h.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

// Transposes 8 rows of 8 pixels (rows `rowStride` pixels apart) and stores column j of them as
// 8 consecutive pixels at out + j * outStep.
static inline void StoreTransposed8x8(const uint16_t* rows, ptrdiff_t rowStride, uint16_t* out,
                                      ptrdiff_t outStep) {
  __m128i a[8];
  for (int k = 0; k < 8; ++k) {
    a[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows + k * rowStride));
  }
  const __m128i b0 = _mm_unpacklo_epi16(a[0], a[1]), b1 = _mm_unpackhi_epi16(a[0], a[1]);
  const __m128i b2 = _mm_unpacklo_epi16(a[2], a[3]), b3 = _mm_unpackhi_epi16(a[2], a[3]);
  const __m128i b4 = _mm_unpacklo_epi16(a[4], a[5]), b5 = _mm_unpackhi_epi16(a[4], a[5]);
  const __m128i b6 = _mm_unpacklo_epi16(a[6], a[7]), b7 = _mm_unpackhi_epi16(a[6], a[7]);
  const __m128i c[8] = {_mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2),
                        _mm_unpacklo_epi32(b1, b3), _mm_unpackhi_epi32(b1, b3),
                        _mm_unpacklo_epi32(b4, b6), _mm_unpackhi_epi32(b4, b6),
                        _mm_unpacklo_epi32(b5, b7), _mm_unpackhi_epi32(b5, b7)};
  for (int j = 0; j < 4; ++j) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * j * outStep),
                     _mm_unpacklo_epi64(c[j], c[j + 4]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (2 * j + 1) * outStep),
                     _mm_unpackhi_epi64(c[j], c[j + 4]));
  }
}
