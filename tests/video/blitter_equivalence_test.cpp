// Every vector path against the scalar reference, bit for bit, over random pictures, sizes (odd
// ones included), strides, screens, row skips, brightness values, filter levels and compare
// flags; the destination is sized exactly and a guard band around it must stay untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>

#include "core/player_state.h"
#include "tests/video/blit_test_support.h"

namespace {

constexpr int kIterations = 4000;

struct RandomCase {
  size_t blitter;
  int32_t width, height, lumaPadding, chromaPadding;
  int32_t screenWidth, screenHeight;
  BlitCall call;
  int changedPercent;
  // Colours that stay clear of the limits at brightness 0, so that no dithering chain clamps
  // and none forgets its carried error.
  bool mild;

  std::string Describe() const {
    std::ostringstream text;
    text << AllBlitters()[blitter].name << " " << width << "x" << height << " strides +"
         << lumaPadding << "/+" << chromaPadding << " screen " << screenWidth << "x" << screenHeight
         << " skip " << call.rowSkip << " filter " << call.filterLevel << " brightness "
         << call.brightness << " compare " << call.compare << " changed " << changedPercent << "%"
         << (mild ? " mild" : "");
    return text.str();
  }
};

int32_t Between(std::mt19937& random, int32_t low, int32_t high) {
  return std::uniform_int_distribution<int32_t>(low, high)(random);
}

RandomCase MakeCase(std::mt19937& random) {
  RandomCase c{};
  c.blitter = Between(random, 0, static_cast<int32_t>(AllBlitters().size()) - 1);
  c.width = Between(random, 1, 1 + Between(random, 0, 1) * 200);
  c.height = Between(random, 1, 48);
  c.lumaPadding = Between(random, 0, 1) * Between(random, 0, 37);
  c.chromaPadding = Between(random, 0, 1) * Between(random, 0, 19);
  c.screenWidth = Between(random, 8, 260);
  c.screenHeight = Between(random, 8, 260);
  const int32_t brightnesses[] = {0, 10, -10, 100, -150, 250, -400, 3000, -3000};
  c.call = {.rowSkip = Between(random, -3, 40),
            .filterLevel = Between(random, 0, 1),
            .brightness = Between(random, 0, 1) ? brightnesses[Between(random, 0, 8)]
                                                : Between(random, -300, 300),
            .compare = Between(random, 0, 1)};
  const int percents[] = {0, 5, 50, 100};
  c.changedPercent = percents[Between(random, 0, 3)];
  c.mild = Between(random, 0, 2) == 0;
  return c;
}

// The destination the blitter may write: lines, pitch and line length after cropping.
size_t DestinationPixels(const RandomCase& c) {
  const std::string name = AllBlitters()[c.blitter].name;
  const bool rotated = name.find("Rotated") != std::string::npos;
  const bool doubled = name.find("Double") != std::string::npos;
  const int32_t across = rotated ? c.screenHeight : c.screenWidth;
  const int32_t down = rotated ? c.screenWidth : c.screenHeight;
  int32_t width = c.width, height = c.height;
  if (doubled) {
    if (2 * width > across) width = across >> 1;
    if (2 * height > down) height = down >> 1;
  } else {
    width = std::min(width, across);
    height = std::min(height, down);
  }
  const int32_t lines = (rotated ? width : height) * (doubled ? 2 : 1);
  const int32_t length = (rotated ? height : width) * (doubled ? 2 : 1);
  const int32_t pitch = std::max((rotated ? height : width) + std::max(c.call.rowSkip, 0), length);
  return lines == 0 || length == 0 ? 0 : static_cast<size_t>(lines - 1) * pitch + length;
}

TestPicture ChangedCopy(const TestPicture& picture, int percent, std::mt19937& random) {
  TestPicture copy = picture;
  for (auto* plane : {&copy.luma, &copy.cr, &copy.cb}) {
    for (uint8_t& v : *plane) {
      if (Between(random, 0, 99) < percent) v = static_cast<uint8_t>(v + Between(random, 1, 255));
    }
  }
  return copy;
}

std::vector<uint16_t> Blit(BlitPath path, const RandomCase& c, const TestPicture& picture,
                           size_t pixels) {
  EXPECT_TRUE(UseBlitPath(path));
  screenWidth = c.screenWidth;
  screenHeight = c.screenHeight;
  TestCanvas canvas(static_cast<int32_t>(pixels), 1);
  RunBlitter(AllBlitters()[c.blitter].blitter, picture, canvas.Destination(), c.call);
  EXPECT_TRUE(canvas.GuardIntact()) << BlitPathName(path) << ": " << c.Describe();
  return canvas.pixels;
}

TEST(BlitterEquivalence, VectorPathsMatchTheReference) {
  std::vector<BlitPath> paths = AvailablePaths();
  paths.erase(std::remove(paths.begin(), paths.end(), BlitPath::Reference), paths.end());
  if (paths.empty()) GTEST_SKIP() << "no vector path runs on this machine";
  const BlitPath chosen = CurrentBlitPath();
  std::mt19937 random(20261210);
  for (int iteration = 0; iteration < kIterations && !HasFailure(); ++iteration) {
    const RandomCase c = MakeCase(random);
    TestPicture picture(c.width, c.height, c.lumaPadding, c.chromaPadding);
    if (c.mild) {
      picture.Randomize(random, 60, 180, 108, 148);
    } else {
      picture.Randomize(random);
    }
    const TestPicture previous = ChangedCopy(picture, c.changedPercent, random);
    RandomCase withPrevious = c;
    withPrevious.call.previous = &previous;
    const size_t pixels = DestinationPixels(c);
    const std::vector<uint16_t> expected = Blit(BlitPath::Reference, withPrevious, picture, pixels);
    for (BlitPath path : paths) {
      const std::vector<uint16_t> actual = Blit(path, withPrevious, picture, pixels);
      const auto mismatch = std::mismatch(expected.begin(), expected.end(), actual.begin());
      EXPECT_TRUE(mismatch.first == expected.end())
          << BlitPathName(path) << " differs at pixel "
          << (mismatch.first - expected.begin()) - static_cast<ptrdiff_t>(TestCanvas::kGuard)
          << " of " << pixels << ": " << c.Describe();
    }
  }
  UseBlitPath(chosen);
}

#if defined(__aarch64__)
// Every aarch64 build carries the NEON path, so the tests above must have covered it.
TEST(BlitterEquivalence, NeonRunsOnAarch64) {
  EXPECT_TRUE(BlitPathAvailable(BlitPath::Neon));
}
#endif

}  // namespace
