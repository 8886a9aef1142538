// Skin and cover pictures through the platform's image decoder. The decoder pulls the file in
// pieces through ProvideImageBytes, so the player never holds a whole picture file.
#include <cstdio>
#include <cstring>

#include "core/player_state.h"
#include "platform/files.h"
#include "platform/image_decoder.h"
#include "platform/text.h"
#include "skin/skin.h"

namespace {

constexpr uint32_t kStagingBytes = 1024;
constexpr uint32_t kDecodedBitDepth = 24;
constexpr int32_t kFullScale = 100;
constexpr int32_t kLargestImageWidth = 800;
constexpr int32_t kLargestImageHeight = 600;
constexpr uintptr_t kNoFile = ~uintptr_t{0};
constexpr uint32_t kNoTransparentColour = 0xFFFFFFFF;

uint8_t staging[kStagingBytes];
BitmapHandle LastDecodedImage;

// The decoder's data callback: up to `capacity` bytes of the open file, 0 at its end.
uint32_t ProvideImageBytes(uint8_t* buffer, uint32_t capacity, uintptr_t user) {
  if (user == kNoFile) return 0;
  return static_cast<uint32_t>(std::fread(buffer, 1, capacity, reinterpret_cast<std::FILE*>(user)));
}

void ImageProgress(BitmapHandle, bool, uintptr_t) {}

}  // namespace

BitmapHandle LoadImageFile(std::u16string_view path) {
  // A FIFO or device named like a picture would block the open or the reads forever.
  std::FILE* file = OpenRegularFileStream(WideToUtf8(path));
  if (!file) return nullptr;
  DeviceContextHandle window = GetDC(mainWindow);
  DeviceContextHandle memory = CreateCompatibleDC(window);
  std::memset(staging, 0, sizeof staging);
  // A failed decode must not hand out an earlier picture.
  LastDecodedImage = nullptr;
  DecompressImageInfo request{
      .size = sizeof(DecompressImageInfo),
      .buffer = staging,
      .bufferCapacity = kStagingBytes,
      .bufferUsed = 0,
      .result = &LastDecodedImage,
      .renderObject = nullptr,
      .bitDepth = kDecodedBitDepth,
      .user = reinterpret_cast<uintptr_t>(file),
      .dc = memory,
      .scale = kFullScale,
      .maxWidth = kLargestImageWidth,
      .maxHeight = kLargestImageHeight,
      .getData = ProvideImageBytes,
      .progress = ImageProgress,
      .transparentColor = kNoTransparentColour,
  };
  DecompressImageIndirect(&request);
  std::fclose(file);
  ReleaseDC(mainWindow, window);
  DeleteDC(memory);
  return LastDecodedImage;
}
