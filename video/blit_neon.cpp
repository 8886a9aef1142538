// The NEON blit path for aarch64: 16 pixels per step, the register operations of the vector
// kernels with the x86 semantics those kernels are written against (see blit_vector.h).
#include <arm_neon.h>

#include "video/blit_dither.h"

namespace {

// Registers are kept as eight signed 16-bit lanes; byte operations reinterpret them.
struct Neon {
  using Reg = int16x8_t;
  static constexpr int32_t kPixels = 16;

  static uint8x16_t Bytes(Reg v) { return vreinterpretq_u8_s16(v); }
  static Reg FromBytes(uint8x16_t v) { return vreinterpretq_s16_u8(v); }

  static Reg Set8(uint8_t v) { return FromBytes(vdupq_n_u8(v)); }
  static Reg Set16(int16_t v) { return vdupq_n_s16(v); }
  static void LoadLuma(const uint8_t* p, Reg& a, Reg& b) {
    const uint8x16_t bytes = vld1q_u8(p);
    a = vreinterpretq_s16_u16(vmovl_u8(vget_low_u8(bytes)));
    b = vreinterpretq_s16_u16(vmovl_high_u8(bytes));
  }
  static Reg LoadChroma(const uint8_t* p) { return vreinterpretq_s16_u16(vmovl_u8(vld1_u8(p))); }
  static Reg DupA(Reg v) { return vzip1q_s16(v, v); }
  static Reg DupB(Reg v) { return vzip2q_s16(v, v); }
  static Reg Add16(Reg a, Reg b) { return vaddq_s16(a, b); }
  static Reg Sub16(Reg a, Reg b) { return vsubq_s16(a, b); }
  static Reg Mullo16(Reg a, Reg b) { return vmulq_s16(a, b); }
  // The signed high halves: the odd 16-bit lanes of the widened products.
  static Reg Mulhi16(Reg a, Reg b) {
    const int32x4_t low = vmull_s16(vget_low_s16(a), vget_low_s16(b));
    const int32x4_t high = vmull_high_s16(a, b);
    return vuzp2q_s16(vreinterpretq_s16_s32(low), vreinterpretq_s16_s32(high));
  }
  static Reg And(Reg a, Reg b) { return vandq_s16(a, b); }
  static Reg Or(Reg a, Reg b) { return vorrq_s16(a, b); }
  static Reg Packus16(Reg a, Reg b) { return FromBytes(vqmovun_high_s16(vqmovun_s16(a), b)); }
  template <int n>
  static Reg Srli16(Reg a) {
    return vreinterpretq_s16_u16(vshrq_n_u16(vreinterpretq_u16_s16(a), n));
  }
  template <int n>
  static Reg Slli16(Reg a) {
    return vshlq_n_s16(a, n);
  }
  static Reg Unpacklo8(Reg a, Reg b) { return FromBytes(vzip1q_u8(Bytes(a), Bytes(b))); }
  static Reg Unpackhi8(Reg a, Reg b) { return FromBytes(vzip2q_u8(Bytes(a), Bytes(b))); }
  static void Store(uint16_t* p, Reg v) { vst1q_u16(p, vreinterpretq_u16_s16(v)); }
  static void DoublePixels(Reg p, Reg& first, Reg& second) {
    first = vzip1q_s16(p, p);
    second = vzip2q_s16(p, p);
  }

  // Transposes 8 rows of 8 pixels (rows `rowStride` pixels apart) and stores column j of them
  // as 8 consecutive pixels at out + j * outStep: pairs of lanes swapped at 16, 32 and 64 bits.
  static void StoreTransposed8x8(const uint16_t* rows, ptrdiff_t rowStride, uint16_t* out,
                                 ptrdiff_t outStep) {
    uint16x8_t a[8];
    for (int k = 0; k < 8; ++k) a[k] = vld1q_u16(rows + k * rowStride);
    uint32x4_t b[8];
    for (int k = 0; k < 8; k += 2) {
      b[k] = vreinterpretq_u32_u16(vtrn1q_u16(a[k], a[k + 1]));
      b[k + 1] = vreinterpretq_u32_u16(vtrn2q_u16(a[k], a[k + 1]));
    }
    uint64x2_t c[8];
    for (int k = 0; k < 8; k += 4) {
      for (int j = 0; j < 2; ++j) {
        c[k + j] = vreinterpretq_u64_u32(vtrn1q_u32(b[k + j], b[k + j + 2]));
        c[k + j + 2] = vreinterpretq_u64_u32(vtrn2q_u32(b[k + j], b[k + j + 2]));
      }
    }
    for (int j = 0; j < 4; ++j) {
      vst1q_u16(out + j * outStep, vreinterpretq_u16_u64(vtrn1q_u64(c[j], c[j + 4])));
      vst1q_u16(out + (j + 4) * outStep, vreinterpretq_u16_u64(vtrn2q_u64(c[j], c[j + 4])));
    }
  }
};

}  // namespace

const BlitKernels neonKernels = vector_blit::Kernels<Neon>();
