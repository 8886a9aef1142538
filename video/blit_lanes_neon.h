// The lanes of the NEON path: four in a register, and more as pairs of registers
// (blit_lanes.h). Internal linkage, for the reason given in colour_conversion.h.
#pragma once

#include <arm_neon.h>

#include <cstddef>
#include <cstdint>

#include "video/blit_lanes.h"

namespace vector_blit {
namespace {

// The channels work on the bytes of a register, the pixels and the transposes on its words.
template <>
struct Lanes<4> {
  using Reg = uint8x16_t;
  static uint32x4_t Words(Reg v) { return vreinterpretq_u32_u8(v); }
  static Reg FromWords(uint32x4_t v) { return vreinterpretq_u8_u32(v); }

  static Reg Load(const uint32_t* p) { return FromWords(vld1q_u32(p)); }
  template <class T>
  static void Store(T* p, Reg v) {
    vst1q_u8(reinterpret_cast<uint8_t*>(p), v);
  }
  static Reg Same(uint32_t word) { return FromWords(vdupq_n_u32(word)); }
  static Reg AddsU8(Reg a, Reg b) { return vqaddq_u8(a, b); }
  static Reg SubsU8(Reg a, Reg b) { return vqsubq_u8(a, b); }
  static Reg And(Reg a, Reg b) { return vandq_u8(a, b); }
  static Reg Or(Reg a, Reg b) { return vorrq_u8(a, b); }
  static Reg Xor(Reg a, Reg b) { return veorq_u8(a, b); }
  static Reg AndNot(Reg a, Reg b) { return vbicq_u8(b, a); }
  static Reg Add8(Reg a, Reg b) { return vaddq_u8(a, b); }
  static Reg MaxU8(Reg a, Reg b) { return vmaxq_u8(a, b); }
  static Reg Equal8(Reg a, Reg b) { return vceqq_u8(a, b); }
  static Reg Average(Reg a, Reg b) { return vrhaddq_u8(a, b); }  // rounding up
  static Reg Select(Reg condition, Reg yes, Reg no) { return vbslq_u8(condition, yes, no); }
  static Reg PixelPairs(Reg first, Reg second) {
    return FromWords(vsliq_n_u32(Pixels(first), Pixels(second), 16));
  }
  static Reg ComplementPixelPairs(Reg first, Reg second) {
    return PixelPairs(vmvnq_u8(first), vmvnq_u8(second));
  }
  // Each word's channels as a 5-6-5 pixel in its low half.
  static uint32x4_t Pixels(Reg v) {
    const uint32x4_t w = Words(v);
    const uint32x4_t red = vandq_u32(vshrq_n_u32(w, 3), vdupq_n_u32(0x1F));
    const uint32x4_t green = vandq_u32(vshrq_n_u32(w, 5), vdupq_n_u32(0x7E0));
    const uint32x4_t blue = vandq_u32(vshrq_n_u32(w, 8), vdupq_n_u32(0xF800));
    return vorrq_u32(vorrq_u32(red, green), blue);
  }
  static bool AllZero(Reg v) { return vmaxvq_u32(Words(v)) == 0; }
  template <class T>
  static void Transpose(const uint32_t* in, ptrdiff_t inStride, T* out, ptrdiff_t outStride) {
    const uint32x4_t r0 = vld1q_u32(in), r1 = vld1q_u32(in + inStride);
    const uint32x4_t r2 = vld1q_u32(in + 2 * inStride), r3 = vld1q_u32(in + 3 * inStride);
    // Words 0 and 2 of each pair of rows, then words 1 and 3.
    const uint64x2_t t0 = vreinterpretq_u64_u32(vtrn1q_u32(r0, r1));
    const uint64x2_t t1 = vreinterpretq_u64_u32(vtrn2q_u32(r0, r1));
    const uint64x2_t t2 = vreinterpretq_u64_u32(vtrn1q_u32(r2, r3));
    const uint64x2_t t3 = vreinterpretq_u64_u32(vtrn2q_u32(r2, r3));
    const auto store = [&](int32_t k, uint64x2_t v) {
      Store(out + k * outStride, vreinterpretq_u8_u64(v));
    };
    store(0, vtrn1q_u64(t0, t2));
    store(1, vtrn1q_u64(t1, t3));
    store(2, vtrn2q_u64(t0, t2));
    store(3, vtrn2q_u64(t1, t3));
  }
  // 16 samples' red, green and blue bytes, as the NEON path packs them, as words (red, green,
  // blue, 0) in sample order.
  static void StoreChainBytes(int16x8_t red, int16x8_t green, int16x8_t blue, uint32_t* out) {
    const uint8x16x4_t words = {vreinterpretq_u8_s16(red), vreinterpretq_u8_s16(green),
                                vreinterpretq_u8_s16(blue), vdupq_n_u8(0)};
    vst4q_u8(reinterpret_cast<uint8_t*>(out), words);
  }
  // Words p[3], p[2], p[1], p[0].
  static Reg LoadReversed(const uint32_t* p) {
    const uint32x4_t swapped = vrev64q_u32(vld1q_u32(p));
    return FromWords(vextq_u32(swapped, swapped, 2));
  }
  // a0 a1 b0 b1 a2 a3 b2 b3.
  static void ZipPairs(Reg a, Reg b, uint32_t* out) {
    const uint64x2_t a64 = vreinterpretq_u64_u8(a), b64 = vreinterpretq_u64_u8(b);
    Store(out, vreinterpretq_u8_u64(vzip1q_u64(a64, b64)));
    Store(out + 4, vreinterpretq_u8_u64(vzip2q_u64(a64, b64)));
  }
  // a0 b0 a1 b1 a2 b2 a3 b3.
  static void ZipWords(Reg a, Reg b, uint32_t* out) {
    const uint32x4x2_t words = {Words(a), Words(b)};
    vst2q_u32(out, words);
  }
  static void StoreEightPixels(const uint32_t* words, uint16_t* pixels) {
    const uint16x8_t packed = vuzp1q_u16(vreinterpretq_u16_u32(Pixels(Load(words))),
                                         vreinterpretq_u16_u32(Pixels(Load(words + 4))));
    vst1q_u16(pixels, packed);
  }
};

}  // namespace
}  // namespace vector_blit
