// The SSE2 blit path: 16 pixels per step. Built with -msse2.
#include <emmintrin.h>

#include "video/blit_dither.h"
#include "video/blit_x86.h"

namespace {

struct Sse2 {
  using Reg = __m128i;
  static constexpr int32_t kPixels = 16;

  static Reg Set8(uint8_t v) { return _mm_set1_epi8(static_cast<char>(v)); }
  static Reg Set16(int16_t v) { return _mm_set1_epi16(v); }
  static void LoadLuma(const uint8_t* p, Reg& a, Reg& b) {
    const Reg bytes = _mm_loadu_si128(reinterpret_cast<const Reg*>(p));
    a = _mm_unpacklo_epi8(bytes, _mm_setzero_si128());
    b = _mm_unpackhi_epi8(bytes, _mm_setzero_si128());
  }
  static Reg LoadChroma(const uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const Reg*>(p)), _mm_setzero_si128());
  }
  static Reg DupA(Reg v) { return _mm_unpacklo_epi16(v, v); }
  static Reg DupB(Reg v) { return _mm_unpackhi_epi16(v, v); }
  static Reg Add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
  static Reg Sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
  static Reg Mullo16(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
  static Reg Mulhi16(Reg a, Reg b) { return _mm_mulhi_epi16(a, b); }
  static Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
  static Reg Or(Reg a, Reg b) { return _mm_or_si128(a, b); }
  static Reg Packus16(Reg a, Reg b) { return _mm_packus_epi16(a, b); }
  template <int n>
  static Reg Srli16(Reg a) {
    return _mm_srli_epi16(a, n);
  }
  template <int n>
  static Reg Slli16(Reg a) {
    return _mm_slli_epi16(a, n);
  }
  static Reg Unpacklo8(Reg a, Reg b) { return _mm_unpacklo_epi8(a, b); }
  static Reg Unpackhi8(Reg a, Reg b) { return _mm_unpackhi_epi8(a, b); }
  static void Store(uint16_t* p, Reg v) { _mm_storeu_si128(reinterpret_cast<Reg*>(p), v); }
  static void DoublePixels(Reg p, Reg& first, Reg& second) {
    first = _mm_unpacklo_epi16(p, p);
    second = _mm_unpackhi_epi16(p, p);
  }
  static constexpr auto StoreTransposed8x8 = ::StoreTransposed8x8;
};

}  // namespace

const BlitKernels sse2Kernels = vector_blit::Kernels<Sse2>();
