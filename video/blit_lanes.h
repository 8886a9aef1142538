// Chains side by side, one 32-bit word per lane (see blit_lockstep.h). Each instruction set
// specializes Lanes for the lane counts one of its registers holds (blit_lanes_x86.h,
// blit_lanes_neon.h); the template here makes twice as many lanes from two registers, so that
// chains whose steps are long dependency chains run two at a time. Internal linkage, for the
// reason given in colour_conversion.h.
//
// Lanes<n> provides, on the bytes of Reg (red, green and blue in bytes 0, 1 and 2 of a word):
//   Reg; Load(words), Store(words or pixels, v) (unaligned), Same(word);
//   AddsU8, SubsU8 (unsigned saturated), And, Or, Xor, AndNot(a, b) (~a & b),
//   Average (rounding up), Select(condition, yes, no) (per byte, condition all ones or zeros),
//   PixelPairs(first, second): the 5-6-5 pixels of two words per lane, the first in the low
//   half; ComplementPixelPairs: the same of 255 - v per byte; AllZero(v);
//   Transpose(in, inStride, out, outStride): rows of n words, inStride words apart, stored as
//   columns outStride elements of out apart (words, or pixels when the words are pixel pairs).
// The lanes of one register also provide Add8, MaxU8 and Equal8 (per byte, all ones where
// equal), StoreChainBytes (the red, green and blue bytes of one register each of the vector
// path as words, in sample order), and Lanes<4> the small steps of the gathers: LoadReversed,
// ZipPairs, ZipWords and StoreEightPixels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vector_blit {
namespace {

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

}  // namespace
}  // namespace vector_blit
