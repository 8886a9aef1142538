// Where the picture lies and which blitter draws it.
#include "video/output_geometry.h"

#include <gtest/gtest.h>

#include "morvelant/decoded_picture.h"

namespace {

struct GeometryCase {
  const char* name;
  GeometryInput input;
  OutputGeometry expected;
};

GeometryInput Input(int32_t width, int32_t height, bool rotate, bool fullScreen, bool hasVideo,
                    int32_t screenWidth, int32_t screenHeight, ViewportRect viewport) {
  GeometryInput in;
  in.pictureWidth = width;
  in.pictureHeight = height;
  in.rotate = rotate;
  in.fullScreen = fullScreen;
  in.hasVideo = hasVideo;
  in.screenWidth = screenWidth;
  in.screenHeight = screenHeight;
  in.viewport = viewport;
  in.previousRow = 6;
  in.previousColumn = 8;
  return in;
}

OutputGeometry Geometry(int16_t row, int16_t column, int32_t screenWidth, int32_t rowSkip,
                        bool takeover) {
  return {row, column, row * screenWidth + column, rowSkip, takeover};
}

const GeometryCase kCases[] = {
    {"LargerThanTheViewportTakesTheScreenAtItsOrigin",
     Input(640, 480, false, false, true, 640, 240, {0, 25, 320, 200}),
     Geometry(0, 0, 640, 0, true)},
    {"DoubledIsCutToHalfTheScreen", Input(176, 144, false, true, true, 640, 240, {0, 0, 640, 240}),
     Geometry(0, 144, 640, 464, false)},
    {"CentredInTheViewport", Input(176, 144, false, false, true, 640, 480, {0, 25, 640, 430}),
     Geometry(168, 232, 640, 464, false)},
    {"OddOffsetsAreRaisedByOne", Input(98, 97, false, false, true, 640, 480, {1, 1, 101, 100}),
     Geometry(2, 2, 640, 542, false)},
    {"RotatedSwapsTheSides", Input(176, 144, true, false, true, 640, 480, {0, 0, 640, 480}),
     Geometry(152, 248, 640, 496, false)},
    {"ANarrowerViewportStillHoldsAScreenWideOutput",
     Input(640, 200, false, false, true, 640, 480, {0, 40, 640, 300}),
     Geometry(90, 0, 640, 0, false)},
    {"CentredOnTheScreenWhenTooLarge",
     Input(320, 240, false, false, true, 640, 480, {0, 0, 100, 100}),
     Geometry(120, 160, 640, 320, true)},
    {"AStillThatDoesNotFitKeepsTheOrigin",
     Input(320, 240, false, false, false, 640, 480, {0, 0, 100, 100}),
     Geometry(6, 8, 640, 320, false)},
};

class OutputGeometryTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(OutputGeometryTest, PlacesThePicture) {
  const OutputGeometry g = ComputeOutputGeometry(GetParam().input);
  const OutputGeometry& e = GetParam().expected;
  EXPECT_EQ(g.originRow, e.originRow);
  EXPECT_EQ(g.originColumn, e.originColumn);
  EXPECT_EQ(g.originOffset, e.originOffset);
  EXPECT_EQ(g.rowSkip, e.rowSkip);
  EXPECT_EQ(g.takeover, e.takeover);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputGeometryTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OutputKind, DoublesOnlyTheScreenAndPicksTheBlitter) {
  struct {
    int32_t purpose;
    bool rotate, fullScreen;
    int32_t kind;
    Blitter blitter;
  } const cases[] = {
      {0, false, false, OUTPUT_UPRIGHT, BlitUpright},
      {0, false, true, OUTPUT_UPRIGHT_DOUBLE, BlitUprightDouble},
      {-1, true, false, OUTPUT_ROTATED, BlitRotated},
      {-1, true, true, OUTPUT_ROTATED_DOUBLE, BlitRotatedDouble},
      {2, false, true, OUTPUT_UPRIGHT, BlitUpright},
      {2, true, true, OUTPUT_ROTATED, BlitRotated},
  };
  for (const auto& c : cases) {
    const int32_t kind = OutputKindFor(c.purpose, c.rotate, c.fullScreen);
    EXPECT_EQ(kind, c.kind) << c.purpose << c.rotate << c.fullScreen;
    EXPECT_EQ(BlitterForKind(kind, false), c.blitter);
  }
  EXPECT_EQ(BlitterForKind(OUTPUT_ROTATED, true), BlitRotatedAlt);
  EXPECT_EQ(BlitterForKind(6, false), nullptr);
}

}  // namespace
