#include "video/colour_conversion.h"

#include <gtest/gtest.h>

namespace {

struct ExactCase {
  int32_t y, cr, cb, brightness;
  uint16_t pixel;
};

TEST(ColourConversion, ExactPixels) {
  const ExactCase cases[] = {
      {16, 128, 128, 0, 0x0000},        // black
      {235, 128, 128, 0, 0xFFFF},       // white: every channel clamps to 255
      {126, 128, 128, 0, 0x8410},       // grey: 9576 * 110 / 8192 = 128 in every channel
      {116, 128, 128, 10, 0x8410},      // brightness adds to the luma sample
      {16, 255, 128, 0, 0x0019},        // red 13123 * 127 / 8192 = 203, green negative
      {16, 128, 0, 0, 0x0180},          // green 3218 * 128 / 8192 = 50, blue negative
      {0, 255, 0, 2000000000, 0xFFFF},  // unlimited brightness saturates, never overflows
      {255, 0, 255, -2000000000, 0x0000},
  };
  for (const ExactCase& c : cases) {
    EXPECT_EQ(ExactPixel(c.y, c.cr, c.cb, LimitBrightness(c.brightness)), c.pixel)
        << "Y " << c.y << " Cr " << c.cr << " Cb " << c.cb << " b " << c.brightness;
  }
}

TEST(ColourConversion, QuotientsTruncateThenClamp) {
  // Y 17, Cb 130: red 9576 / 8192 = 1, green (9576 - 6436) / 8192 = 0, blue 42758 / 8192 = 5.
  const Rgb c = ExactRgb(17, 128, 130, 0);
  EXPECT_EQ(c.red, 1);
  EXPECT_EQ(c.green, 0);
  EXPECT_EQ(c.blue, 5);
  // Cb 126: blue (9576 - 33182) / 8192 is negative and becomes 0.
  EXPECT_EQ(ExactRgb(17, 128, 126, 0).blue, 0);
}

TEST(ColourConversion, DitheringCarriesTheDroppedBits) {
  // Y 130: 9576 * 114 / 8192 = 133.26, so 133 in every channel.
  Rgb error = {0, 0, 0};
  EXPECT_EQ(DitheredRgb(130, 128, 128, 0, error).red, 133);
  EXPECT_EQ(error.red, 133 & 7);
  EXPECT_EQ(error.green, 133 & 3);
  EXPECT_EQ(error.blue, 133 & 7);
  const Rgb next = DitheredRgb(130, 128, 128, 0, error);
  EXPECT_EQ(next.red, 138);
  EXPECT_EQ(next.green, 134);
  EXPECT_EQ(error.red, 138 & 7);
  EXPECT_EQ(error.green, 134 & 3);

  // The arithmetic shift rounds toward minus infinity; the clamp comes after the error.
  error = {7, 3, 7};
  const Rgb dark = DitheredRgb(15, 128, 128, 0, error);  // -9576 >> 13 = -2
  EXPECT_EQ(dark.red, 5);
  EXPECT_EQ(dark.green, 1);
  error = {7, 3, 7};
  const Rgb bright = DitheredRgb(235, 128, 128, 0, error);
  EXPECT_EQ(bright.red, 255);
  EXPECT_EQ(error.red, 7);
  EXPECT_EQ(error.green, 3);
}

TEST(ColourConversion, InterpolatedAddsItsBiasBeforeTheClamp) {
  EXPECT_EQ(InterpolatedRgb(126, 128, 128, 0).green, 134);
  EXPECT_EQ(InterpolatedRgb(10, 128, 128, 0).red, 0);  // -7.01 -> -8, plus 6, clamped
  EXPECT_EQ(InterpolatedRgb(235, 128, 128, 0).blue, 255);
}

TEST(ColourConversion, FastConversionUsesUnscaledChroma) {
  EXPECT_EQ(FastPixel(16, 128, 128, 0), 0x0000);
  EXPECT_EQ(FastPixel(144, 128, 128, 0), 0x8410);   // 128 in every channel
  EXPECT_EQ(FastPixel(134, 128, 128, 10), 0x8410);  // with brightness
  EXPECT_EQ(FastPixel(144, 255, 0, 0), 0x041F);     // red 255, green 128, blue 0
  EXPECT_EQ(FastPixel(255, 255, 255, 0), 0xFF7F);   // green is Y - 16 = 239
}

}  // namespace
