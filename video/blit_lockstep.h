// Dithering chains run side by side. The carried error makes each sample of a chain wait for the
// one before, but separate stretches of one chain only wait for each other at their ends: a
// stretch's outgoing errors are a function of its incoming ones, which take at most eight values
// per channel. So each lane of a register runs one stretch, first under all eight incoming
// errors at once (which tabulates that function), then, once each stretch's true incoming errors
// are known from the one before, for real. Internal linkage, for the reason given in
// colour_conversion.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "video/colour_conversion.h"
// The lanes of the instruction set the including file is built for.
#ifdef __aarch64__
#include "video/blit_lanes_neon.h"
#else
#include "video/blit_lanes_x86.h"
#endif

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
