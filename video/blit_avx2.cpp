// The AVX2 blit path: 32 pixels per step. Built with -mavx2 and reached only through the kernel
// table after the processor has been checked.
#include <immintrin.h>

#include "video/blit_dither.h"
#include "video/blit_x86.h"

namespace {

// Most AVX2 unpacks and packs work within each 128-bit lane. Loads widen bytes across the whole
// register, so chroma is reordered as it is loaded ([0-3, 8-11 | 4-7, 12-15] in 64-bit quarters):
// every chroma term is computed lane by lane in that order, and each is duplicated with one
// unpack. Doubled pixels are put back in order across the lanes.
struct Avx2 {
  using Reg = __m256i;
  static constexpr int32_t kPixels = 32;

  static Reg Set8(uint8_t v) { return _mm256_set1_epi8(static_cast<char>(v)); }
  static Reg Set16(int16_t v) { return _mm256_set1_epi16(v); }
  static void LoadLuma(const uint8_t* p, Reg& a, Reg& b) {
    a = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    b = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
  }
  static Reg LoadChroma(const uint8_t* p) {
    const Reg widened = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    return _mm256_permute4x64_epi64(widened, _MM_SHUFFLE(3, 1, 2, 0));
  }
  static Reg DupA(Reg v) { return _mm256_unpacklo_epi16(v, v); }
  static Reg DupB(Reg v) { return _mm256_unpackhi_epi16(v, v); }
  static Reg Add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
  static Reg Sub16(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
  static Reg Mullo16(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
  static Reg Mulhi16(Reg a, Reg b) { return _mm256_mulhi_epi16(a, b); }
  static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
  static Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
  static Reg Packus16(Reg a, Reg b) { return _mm256_packus_epi16(a, b); }
  template <int n>
  static Reg Srli16(Reg a) {
    return _mm256_srli_epi16(a, n);
  }
  template <int n>
  static Reg Slli16(Reg a) {
    return _mm256_slli_epi16(a, n);
  }
  static Reg Unpacklo8(Reg a, Reg b) { return _mm256_unpacklo_epi8(a, b); }
  static Reg Unpackhi8(Reg a, Reg b) { return _mm256_unpackhi_epi8(a, b); }
  static void Store(uint16_t* p, Reg v) { _mm256_storeu_si256(reinterpret_cast<Reg*>(p), v); }
  static void DoublePixels(Reg p, Reg& first, Reg& second) {
    const Reg low = _mm256_unpacklo_epi16(p, p);   // pixels 0-3 | 8-11, each twice
    const Reg high = _mm256_unpackhi_epi16(p, p);  // pixels 4-7 | 12-15
    first = _mm256_permute2x128_si256(low, high, 0x20);
    second = _mm256_permute2x128_si256(low, high, 0x31);
  }
  static constexpr auto StoreTransposed8x8 = ::StoreTransposed8x8;
};

}  // namespace

const BlitKernels avx2Kernels = vector_blit::Kernels<Avx2>();
