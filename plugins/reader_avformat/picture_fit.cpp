#include "plugins/reader_avformat/picture_fit.h"

#include <algorithm>

namespace {

constexpr PictureSize kDefaultLargest = {.width = 640, .height = 480};
constexpr int32_t kSmallest = 16;

int32_t EvenAtLeastSmallest(int64_t value) {
  return int32_t(std::max<int64_t>(value & ~int64_t(1), kSmallest));
}

}  // namespace

PictureSize LargestPicture(int32_t parameter) {
  const PictureSize asked = {.width = int32_t(uint32_t(parameter) >> 16),
                             .height = parameter & 0xFFFF};
  return asked.width >= kSmallest && asked.height >= kSmallest ? asked : kDefaultLargest;
}

PictureSize FitPicture(PictureSize stream, PictureSize largest) {
  if (stream.width <= largest.width && stream.height <= largest.height) return stream;
  // Scale by the tighter side, in integers: width / height stays as close as rounding allows.
  if (int64_t(stream.width) * largest.height >= int64_t(stream.height) * largest.width)
    return {.width = EvenAtLeastSmallest(largest.width),
            .height = EvenAtLeastSmallest(int64_t(stream.height) * largest.width / stream.width)};
  return {.width = EvenAtLeastSmallest(int64_t(stream.width) * largest.height / stream.height),
          .height = EvenAtLeastSmallest(largest.height)};
}
