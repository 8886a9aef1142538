// The per-sample colour conversions every blitter shares, in integer arithmetic only. The scalar
// forms here are the definition; the vector paths must match them bit for bit.
//
// The functions have internal linkage on purpose: the AVX2 file compiles them with -mavx2, and
// a shared inline copy could let code that runs before the CPU check pick up that build.
#pragma once

#include <cstdint>

// Fixed-point scale: 8192 is 1.0.
constexpr int32_t kConversionShift = 13;
constexpr int32_t kConversionScale = 1 << kConversionShift;
// BT.601 coefficients at that scale: 1.169, 1.602, 0.816, 0.393, 2.025.
constexpr int32_t kLumaFactor = 9576;
constexpr int32_t kCrToRed = 13123;
constexpr int32_t kCrToGreen = 6686;
constexpr int32_t kCbToGreen = 3218;
constexpr int32_t kCbToBlue = 16591;
constexpr int32_t kLumaOffset = 16;
constexpr int32_t kChromaOffset = 128;
// The fast conversion folds both offsets into the luma sample.
constexpr int32_t kFastLumaOffset = kLumaOffset + kChromaOffset;
// Added to a sample that is averaged into a pixel rather than shown.
constexpr int32_t kInterpolationBias = 6;
// Carried errors keep exactly the bits the 5-6-5 packing drops.
constexpr int32_t kRedBlueErrorMask = 7;
constexpr int32_t kGreenErrorMask = 3;
constexpr int32_t kChannelMax = 255;
// `brightness` has no limits; beyond this every sample saturates the same way (1.169 * 1008
// exceeds 255 plus the largest chroma term, and -785 * 1.169 plus it stays below -7), so
// limiting it changes no pixel and keeps every product inside 16 by 16 bits.
constexpr int32_t kBrightnessLimit = 1024;

struct Rgb {
  int32_t red;
  int32_t green;
  int32_t blue;
};

static inline int32_t Clamp(int32_t value, int32_t low, int32_t high) {
  return value < low ? low : (value > high ? high : value);
}

static inline int32_t LimitBrightness(int32_t brightness) {
  return Clamp(brightness, -kBrightnessLimit, kBrightnessLimit);
}

static inline int32_t ClampChannel(int32_t value) {
  return Clamp(value, 0, kChannelMax);
}

static inline uint16_t Pack565(Rgb c) {
  return static_cast<uint16_t>((c.red >> 3) + ((c.green >> 2) << 5) + ((c.blue >> 3) << 11));
}

// Each channel's scaled sum, L plus its chroma term, before any division.
static inline Rgb ScaledSums(int32_t y, int32_t cr, int32_t cb, int32_t brightness) {
  const int32_t l = kLumaFactor * (y + brightness - kLumaOffset);
  const int32_t crTerm = cr - kChromaOffset;
  const int32_t cbTerm = cb - kChromaOffset;
  return {l + kCrToRed * crTerm, l - kCrToGreen * crTerm - kCbToGreen * cbTerm,
          l + kCbToBlue * cbTerm};
}

// Exact conversion: each quotient truncated, then clamped.
static inline Rgb ExactRgb(int32_t y, int32_t cr, int32_t cb, int32_t brightness) {
  const Rgb s = ScaledSums(y, cr, cb, brightness);
  return {ClampChannel(s.red / kConversionScale), ClampChannel(s.green / kConversionScale),
          ClampChannel(s.blue / kConversionScale)};
}

static inline uint16_t ExactPixel(int32_t y, int32_t cr, int32_t cb, int32_t brightness) {
  return Pack565(ExactRgb(y, cr, cb, brightness));
}

static inline Rgb MaskedErrors(Rgb c) {
  return {c.red & kRedBlueErrorMask, c.green & kGreenErrorMask, c.blue & kRedBlueErrorMask};
}

// Dithered conversion: arithmetic shift, plus the carried error, clamped; `error` becomes the
// bits this sample's packing drops.
static inline Rgb DitheredRgb(int32_t y, int32_t cr, int32_t cb, int32_t brightness, Rgb& error) {
  const Rgb s = ScaledSums(y, cr, cb, brightness);
  const Rgb c = {ClampChannel((s.red >> kConversionShift) + error.red),
                 ClampChannel((s.green >> kConversionShift) + error.green),
                 ClampChannel((s.blue >> kConversionShift) + error.blue)};
  error = MaskedErrors(c);
  return c;
}

// Interpolated conversion: no carried error, the bias added after the shift.
static inline Rgb InterpolatedRgb(int32_t y, int32_t cr, int32_t cb, int32_t brightness) {
  const Rgb s = ScaledSums(y, cr, cb, brightness);
  return {ClampChannel((s.red >> kConversionShift) + kInterpolationBias),
          ClampChannel((s.green >> kConversionShift) + kInterpolationBias),
          ClampChannel((s.blue >> kConversionShift) + kInterpolationBias)};
}

// Per channel, the integer half of the sum of two values.
static inline Rgb Average(Rgb a, Rgb b) {
  return {(a.red + b.red) >> 1, (a.green + b.green) >> 1, (a.blue + b.blue) >> 1};
}

// Fast conversion: no multiplication; red and blue take the unscaled chroma, green none.
static inline uint16_t FastPixel(int32_t y, int32_t cr, int32_t cb, int32_t brightness) {
  const int32_t shifted = y + brightness - kFastLumaOffset;
  return Pack565({ClampChannel(shifted + cr), ClampChannel(shifted + kChromaOffset),
                  ClampChannel(shifted + cb)});
}
