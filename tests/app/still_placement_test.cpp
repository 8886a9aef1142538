// Where a still or cover picture lands in the ViewPort.
#include "app/still_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(StillPlacement, ScalingCases) {
  struct Case {
    int32_t width, height;
    ViewPortBox viewPort;
    bool fullScreen;
    StillPlacement expected;
  };
  const Case cases[] = {
      // Centred unscaled; the top row 45 is odd, so one lower.
      {120, 90, {0, 0, 240, 180}, false, {60, 46, 120, 90, false}},
      // Doubling needs strictly more room than twice the size.
      {120, 90, {0, 0, 240, 180}, true, {60, 46, 120, 90, false}},
      {120, 90, {10, 30, 250, 190}, true, {15, 35, 240, 180, true}},
      // Too large: scaled by 0.5 to 200 x 150, 25 pixels below the top.
      {400, 300, {0, 40, 200, 200}, false, {0, 65, 200, 150, true}},
      {400, 300, {0, 40, 200, 200}, true, {0, 65, 200, 150, true}},
      // Too tall only: the height decides.
      {100, 400, {0, 0, 200, 200}, false, {75, 0, 50, 200, true}},
      // 253 / 600 x 600 is 252.99998 in single precision: the cover still fills the height.
      {800, 600, {0, 0, 562, 253}, false, {112, 0, 337, 253, true}},
      {800, 360, {0, 0, 562, 253}, false, {0, 0, 562, 252, true}},
      // Fits exactly.
      {200, 200, {5, 26, 200, 200}, false, {5, 26, 200, 200, false}},
  };
  for (const Case& c : cases) {
    const StillPlacement got = PlaceStill(c.width, c.height, c.viewPort, c.fullScreen);
    EXPECT_EQ(got.x, c.expected.x) << c.width << "x" << c.height;
    EXPECT_EQ(got.y, c.expected.y) << c.width << "x" << c.height;
    EXPECT_EQ(got.width, c.expected.width) << c.width << "x" << c.height;
    EXPECT_EQ(got.height, c.expected.height) << c.width << "x" << c.height;
    EXPECT_EQ(got.stretched, c.expected.stretched) << c.width << "x" << c.height;
  }
}

}  // namespace
