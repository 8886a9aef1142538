// The image decoder (JPEG, PNG, BMP, GIF) as the skin loader calls it: the file pulled through
// the data callback in 1024-byte pieces, the picture fitted inside a maximum that the input's
// first byte varies. Property: a decoded picture is never empty and never larger than the
// maximum.
#include <algorithm>
#include <cstring>

#include "platform/drawing.h"
#include "platform/image_decoder.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

struct Source {
  const uint8_t* data;
  size_t size, at;
};

uint32_t Provide(uint8_t* buffer, uint32_t capacity, uintptr_t user) {
  auto* source = reinterpret_cast<Source*>(user);
  const size_t n = std::min<size_t>(capacity, source->size - source->at);
  std::memcpy(buffer, source->data + source->at, n);
  source->at += n;
  return static_cast<uint32_t>(n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t maxWidth = data[0] & 1 ? 800 : 64, maxHeight = data[0] & 2 ? 600 : 48;
  Source source{data + 1, size - 1, 0};
  uint8_t staging[1024] = {};
  BitmapHandle bitmap = nullptr;
  DecompressImageInfo info{.size = sizeof(DecompressImageInfo),
                           .buffer = staging,
                           .bufferCapacity = sizeof staging,
                           .result = &bitmap,
                           .bitDepth = 24,
                           .user = reinterpret_cast<uintptr_t>(&source),
                           .scale = 100,
                           .maxWidth = maxWidth,
                           .maxHeight = maxHeight,
                           .getData = Provide,
                           .transparentColor = 0xFFFFFFFF};
  const int32_t result = DecompressImageIndirect(&info);
  FUZZ_CHECK((result == kImageDecoded) == (bitmap != nullptr));
  if (bitmap) {
    const Size picture = GetBitmapSize(bitmap);
    FUZZ_CHECK(picture.cx > 0 && picture.cy > 0);
    FUZZ_CHECK(picture.cx <= maxWidth && picture.cy <= maxHeight);
    DeleteBitmap(bitmap);
  }
  return 0;
}
