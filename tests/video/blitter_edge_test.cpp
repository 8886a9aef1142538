// Cropping, mapping, drawn regions and the compare rule of the five blitters and their workers,
// on every blit path this machine runs.
#include <gtest/gtest.h>

#include <random>

#include "core/player_state.h"
#include "tests/video/blit_test_support.h"
#include "video/colour_conversion.h"

namespace {

class BlitterEdges : public ::testing::TestWithParam<BlitPath> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UseBlitPath(GetParam()));
    SetScreen(640, 480);
  }
  static void SetScreen(int32_t width, int32_t height) {
    screenWidth = width;
    screenHeight = height;
  }
  std::mt19937 random{1234};
};

uint16_t ExactOf(TestPicture& p, int32_t x, int32_t y) {
  return ExactPixel(p.Y(x, y), p.Cr(x, y), p.Cb(x, y), 0);
}

// Positions (line, column) a blit writes: a written pixel does not depend on what the
// destination held before.
struct Region {
  int32_t lines;
  int32_t columns;
};

std::vector<std::vector<bool>> WrittenPositions(Blitter blitter, const TestPicture& p,
                                                const BlitCall& call, int32_t pitch,
                                                int32_t lines) {
  TestCanvas first(pitch, lines, 0xA5A5), second(pitch, lines, 0x5A5A);
  RunBlitter(blitter, p, first.Destination(), call);
  RunBlitter(blitter, p, second.Destination(), call);
  EXPECT_TRUE(first.GuardIntact(0xA5A5) && second.GuardIntact(0x5A5A));
  std::vector<std::vector<bool>> written(lines, std::vector<bool>(pitch));
  for (int32_t line = 0; line < lines; ++line) {
    for (int32_t column = 0; column < pitch; ++column) {
      written[line][column] = first.At(line, column) == second.At(line, column);
    }
  }
  return written;
}

// Whether exactly the lines and columns in [line0, line1) x [column0, column1) are written.
::testing::AssertionResult WritesExactly(const std::vector<std::vector<bool>>& written,
                                         int32_t line0, int32_t line1, int32_t column0,
                                         int32_t column1) {
  for (size_t line = 0; line < written.size(); ++line) {
    for (size_t column = 0; column < written[line].size(); ++column) {
      const bool inside =
          static_cast<int32_t>(line) >= line0 && static_cast<int32_t>(line) < line1 &&
          static_cast<int32_t>(column) >= column0 && static_cast<int32_t>(column) < column1;
      if (written[line][column] != inside) {
        return ::testing::AssertionFailure()
               << "line " << line << " column " << column << (inside ? " not written" : " written");
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_P(BlitterEdges, WiderPictureIsCentredUpright) {
  SetScreen(320, 240);
  TestPicture picture(352, 240);
  picture.Randomize(random);
  TestCanvas whole(320, 240), shifted(320, 240);
  RunBlitter(BlitUpright, picture, whole.Destination(), {});
  // The same output as the picture's columns 16 to 335: 16 luma and 8 chroma columns skipped.
  BlitUpright(picture.luma.data() + 16, picture.lumaStride, picture.cr.data() + 8,
              picture.cb.data() + 8, picture.chromaStride, shifted.Destination(), 320, 240, 0, 0, 0,
              nullptr, nullptr, nullptr, 0);
  EXPECT_EQ(whole.pixels, shifted.pixels);
  EXPECT_EQ(whole.At(0, 0), ExactOf(picture, 16, 0));
  EXPECT_TRUE(whole.GuardIntact());
}

TEST_P(BlitterEdges, RotatedPictureIsCroppedToTheScreenHeight) {
  SetScreen(640, 240);
  TestPicture picture(320, 240);
  picture.Randomize(random);
  const BlitCall call = {.rowSkip = 640 - 240};
  TestCanvas whole(640, 240), shifted(640, 240);
  RunBlitter(BlitRotated, picture, whole.Destination(), call);
  // 40 columns dropped on each side: luma advances 40, chroma 20; 240 lines of 240 pixels.
  BlitRotated(picture.luma.data() + 40, picture.lumaStride, picture.cr.data() + 20,
              picture.cb.data() + 20, picture.chromaStride, shifted.Destination(), 240, 240,
              call.rowSkip, 0, 0, nullptr, nullptr, nullptr, 0);
  EXPECT_EQ(whole.pixels, shifted.pixels);
  EXPECT_TRUE(
      WritesExactly(WrittenPositions(BlitRotated, picture, call, 640, 240), 0, 240, 0, 240));
}

TEST_P(BlitterEdges, DoubledPictureShowsItsTopLeftPart) {
  SetScreen(320, 240);
  TestPicture picture(200, 150);
  picture.Randomize(random);
  for (NamedBlitter b :
       {NamedBlitter{"upright", BlitUprightDouble}, NamedBlitter{"rotated", BlitRotatedDouble}}) {
    for (int32_t filter : {0, 1}) {
      const bool rotated = b.blitter == BlitRotatedDouble;
      const int32_t width = rotated ? 120 : 160, height = rotated ? 150 : 120;
      const int32_t pitch = rotated ? 2 * height : 2 * width;
      TestCanvas whole(pitch, 2 * (rotated ? width : height));
      TestCanvas part(pitch, whole.lines);
      const BlitCall call = {.rowSkip = pitch - (rotated ? height : width), .filterLevel = filter};
      RunBlitter(b.blitter, picture, whole.Destination(), call);
      b.blitter(picture.luma.data(), picture.lumaStride, picture.cr.data(), picture.cb.data(),
                picture.chromaStride, part.Destination(), width, height, call.rowSkip, filter, 0,
                nullptr, nullptr, nullptr, 0);
      EXPECT_EQ(whole.pixels, part.pixels) << b.name << " filter " << filter;
      EXPECT_TRUE(whole.GuardIntact());
    }
  }
}

TEST_P(BlitterEdges, RotationPutsTheTopRightSampleFirst) {
  TestPicture picture(64, 6);
  picture.Randomize(random);
  const BlitCall call = {.rowSkip = 2};
  TestCanvas canvas(8, 64);
  RunBlitter(BlitRotated, picture, canvas.Destination(), call);
  EXPECT_EQ(canvas.At(0, 0), ExactOf(picture, 63, 0));
  EXPECT_EQ(canvas.At(63, 5), ExactOf(picture, 0, 5));
  EXPECT_EQ(canvas.At(62, 1), ExactOf(picture, 1, 1));

  TestCanvas alt(8, 64);
  RunBlitter(BlitRotatedAlt, picture, alt.Destination(), call);
  EXPECT_EQ(alt.At(0, 0), ExactOf(picture, 63, 0));
  // Odd rows take the next chroma row.
  EXPECT_EQ(alt.At(0, 1), ExactPixel(picture.Y(63, 1), picture.Cr(63, 2), picture.Cb(63, 2), 0));
}

struct RegionCase {
  const char* name;
  Blitter blitter;
  int32_t filterLevel;
  int32_t width, height, rowSkip;
  int32_t canvasLines;
  Region drawn;  // from line 0, column 0
};

// What each blitter draws, odd sizes included; nothing outside the destination is touched.
TEST_P(BlitterEdges, DrawnRegions) {
  const RegionCase cases[] = {
      // Block walks leave the last odd column and row undrawn.
      {"BlitUpright 7x5", BlitUpright, 0, 7, 5, 3, 5, {4, 6}},
      {"DitherUpright 7x5", BlitUpright, 1, 7, 5, 3, 5, {4, 6}},
      {"BlitUpright 8x6", BlitUpright, 0, 8, 6, 0, 6, {6, 8}},
      // Doubled upright draws odd sizes whole.
      {"BlitUprightDouble 7x5", BlitUprightDouble, 0, 7, 5, 9, 10, {10, 14}},
      {"DitherUprightDouble 7x5", BlitUprightDouble, 1, 7, 5, 9, 10, {10, 14}},
      // Rotated 1:1 drops the rightmost odd column: 6 lines of 4.
      {"BlitRotated 7x5", BlitRotated, 0, 7, 5, 3, 7, {6, 4}},
      {"DitherRotated 7x5", BlitRotated, 1, 7, 5, 3, 7, {6, 4}},
      {"BlitRotated 8x6", BlitRotated, 0, 8, 6, 0, 8, {8, 6}},
      // Strips: nothing below 64 columns; the last row pair is left out.
      {"BlitRotatedAlt 48x8", BlitRotatedAlt, 0, 48, 8, 0, 48, {0, 0}},
      {"DitherRotatedAlt 48x8", BlitRotatedAlt, 1, 48, 8, 0, 48, {0, 0}},
      {"BlitRotatedAlt 64x8", BlitRotatedAlt, 0, 64, 8, 0, 64, {64, 6}},
      {"DitherRotatedAlt 64x8", BlitRotatedAlt, 1, 64, 8, 0, 64, {64, 6}},
      {"BlitRotatedAlt 131x7", BlitRotatedAlt, 0, 131, 7, 1, 131, {131, 6}},
      {"BlitRotatedAlt 70x2", BlitRotatedAlt, 0, 70, 2, 0, 70, {0, 0}},
      // Doubled rotated: source column 0 (the last two lines) is never drawn.
      {"BlitRotatedDouble 7x5", BlitRotatedDouble, 0, 7, 5, 5, 14, {12, 10}},
      {"DitherRotatedDouble 7x5", BlitRotatedDouble, 1, 7, 5, 5, 14, {12, 10}},
      {"BlitRotatedDouble 6x4", BlitRotatedDouble, 0, 6, 4, 4, 12, {10, 8}},
  };
  for (const RegionCase& c : cases) {
    TestPicture picture(c.width, c.height);
    picture.Randomize(random);
    const BlitCall call = {.rowSkip = c.rowSkip, .filterLevel = c.filterLevel};
    const bool rotated =
        c.blitter == BlitRotated || c.blitter == BlitRotatedAlt || c.blitter == BlitRotatedDouble;
    const int32_t pitch = (rotated ? c.height : c.width) + c.rowSkip;
    EXPECT_TRUE(WritesExactly(WrittenPositions(c.blitter, picture, call, pitch, c.canvasLines), 0,
                              c.drawn.lines, 0, c.drawn.columns))
        << c.name;
  }
}

TEST_P(BlitterEdges, LastColumnOfTheInterpolatingDoublerIsAPlainCopy) {
  TestPicture picture(3, 2);
  picture.Randomize(random);
  TestCanvas canvas(6, 4);
  RunBlitter(BlitUprightDouble, picture, canvas.Destination(), {.rowSkip = 3, .filterLevel = 1});
  for (int32_t line : {0, 1}) {
    EXPECT_EQ(canvas.At(line, 4), canvas.At(0, 4));
    EXPECT_EQ(canvas.At(line, 5), canvas.At(0, 4));
  }
}

// Under the compare rule only blocks whose compared samples changed are drawn.
struct CompareCase {
  const char* name;
  Blitter blitter;
  int32_t filterLevel;
  void (*change)(TestPicture& previous);  // makes the previous frame differ
  Region first, end;                      // the region expected to be written
};

void ChangeUprightTopLeftLuma(TestPicture& p) {
  p.Y(2, 0) ^= 1;
}
// Samples a 1:1 upright block does not compare.
void ChangeUprightUncompared(TestPicture& p) {
  p.Y(3, 0) ^= 1;
  p.Y(2, 1) ^= 1;
  p.Cr(2, 0) ^= 1;
}
void ChangeUprightLeftBottomLuma(TestPicture& p) {
  p.Y(2, 1) ^= 1;
}
void ChangeOneLuma(TestPicture& p) {
  p.Y(3, 1) ^= 1;
}
void ChangeOneChroma(TestPicture& p) {
  p.Cb(5, 2) ^= 1;
}
void ChangeNothing(TestPicture&) {}

TEST_P(BlitterEdges, CompareRuleKeepsUnchangedBlocks) {
  const CompareCase cases[] = {
      {"BlitUpright top-left luma", BlitUpright, 0, ChangeUprightTopLeftLuma, {0, 2}, {2, 4}},
      {"BlitUpright other samples", BlitUpright, 0, ChangeUprightUncompared, {0, 0}, {0, 0}},
      {"DitherUpright left luma", BlitUpright, 1, ChangeUprightLeftBottomLuma, {0, 2}, {2, 4}},
      {"DitherUpright chroma", BlitUpright, 1, ChangeOneChroma, {2, 4}, {4, 6}},
      {"BlitUprightDouble", BlitUprightDouble, 0, ChangeOneLuma, {2, 6}, {4, 8}},
      {"DitherUprightDouble", BlitUprightDouble, 1, ChangeOneChroma, {4, 8}, {8, 12}},
      // Chroma (5, 2): the block of columns 5 and 4, rows 2 and 3: lines 2 and 3 of 8.
      {"BlitRotated chroma", BlitRotated, 0, ChangeOneChroma, {2, 2}, {4, 4}},
      {"DitherRotated chroma", BlitRotated, 1, ChangeOneChroma, {2, 2}, {4, 4}},
      // These have no compare rule and draw everything.
      {"BlitRotatedDouble", BlitRotatedDouble, 0, ChangeNothing, {0, 0}, {14, 8}},
      {"DitherRotatedDouble", BlitRotatedDouble, 1, ChangeNothing, {0, 0}, {14, 8}},
  };
  for (const CompareCase& c : cases) {
    TestPicture picture(8, 4), previous(8, 4);
    picture.Randomize(random);
    previous = picture;
    c.change(previous);
    const bool rotated = c.blitter == BlitRotated || c.blitter == BlitRotatedDouble;
    const bool doubled = c.blitter == BlitUprightDouble || c.blitter == BlitRotatedDouble;
    const int32_t pitch = (rotated ? 4 : 8) * (doubled ? 2 : 1);
    const int32_t lines = (rotated ? 8 : 4) * (doubled ? 2 : 1);
    const BlitCall call = {.rowSkip = doubled ? pitch / 2 : 0,
                           .filterLevel = c.filterLevel,
                           .previous = &previous,
                           .compare = 1};
    EXPECT_TRUE(WritesExactly(WrittenPositions(c.blitter, picture, call, pitch, lines),
                              c.first.lines, c.end.lines, c.first.columns, c.end.columns))
        << c.name;
  }
}

// A kept block leaves the carried errors as they were: the rest comes out as if the kept block
// were not there, and differently from a run where it was converted.
TEST_P(BlitterEdges, KeptBlocksLeaveCarriedErrorsUnchanged) {
  struct Case {
    const char* name;
    Blitter blitter;
    int32_t width, height, rowSkip;
    int32_t keptFrom, keptColumns;  // the block walked first
    int32_t pitch, lines;
    int32_t restOffset, restRowSkip;  // where the rest alone lands, and its row skip
    uint8_t luma;  // chosen so that the carried errors do not repeat within the kept block
  };
  const Case cases[] = {
      {"DitherUpright", BlitUpright, 4, 2, 0, 0, 2, 4, 2, 2, 2, 130},
      {"DitherRotated", BlitRotated, 4, 2, 0, 2, 2, 2, 4, 4, 0, 130},
      {"DitherUprightDouble", BlitUprightDouble, 2, 1, 2, 0, 1, 4, 2, 2, 3, 131},
  };
  for (const Case& c : cases) {
    TestPicture picture(c.width, c.height);
    picture.Fill(c.luma, 128, 128);
    TestPicture previous = picture;
    for (int32_t y = 0; y < c.height; ++y) {
      for (int32_t x = 0; x < c.width; ++x) {
        if (x < c.keptFrom || x >= c.keptFrom + c.keptColumns) previous.Y(x, y) = 0;
      }
    }
    TestCanvas kept(c.pitch, c.lines), converted(c.pitch, c.lines), alone(c.pitch, c.lines);
    RunBlitter(c.blitter, picture, kept.Destination(),
               {.rowSkip = c.rowSkip, .filterLevel = 1, .previous = &previous, .compare = 1});
    RunBlitter(c.blitter, picture, converted.Destination(),
               {.rowSkip = c.rowSkip, .filterLevel = 1});
    TestPicture rest(c.width - c.keptColumns, c.height);
    rest.Fill(c.luma, 128, 128);
    RunBlitter(c.blitter, rest, alone.Destination() + c.restOffset,
               {.rowSkip = c.restRowSkip, .filterLevel = 1});

    std::vector<uint16_t> expected = alone.pixels;
    for (size_t i = 0; i < expected.size(); ++i) {
      const bool restDrawn = alone.pixels[i] != TestCanvas::kUntouched;
      EXPECT_EQ(kept.pixels[i], restDrawn ? alone.pixels[i] : TestCanvas::kUntouched)
          << c.name << " at " << i;
      if (restDrawn) expected[i] = converted.pixels[i];
    }
    EXPECT_NE(expected, alone.pixels) << c.name << ": the test needs carried errors";
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, BlitterEdges, ::testing::ValuesIn(AvailablePaths()),
                         [](const ::testing::TestParamInfo<BlitPath>& info) {
                           return std::string(BlitPathName(info.param));
                         });

}  // namespace
