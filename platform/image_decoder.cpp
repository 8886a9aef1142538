#include "platform/image_decoder.h"

#include <algorithm>
#include <cstring>

#include "platform/image_formats.h"
#include "platform/screen.h"

namespace {

constexpr uint32_t kDefaultChunk = 4096;

struct Format {
  const uint8_t* magic;
  size_t magicSize;
  bool (*decode)(const std::vector<uint8_t>&, const ImageFit&, RgbPicture*);
};

constexpr uint8_t kJpegMagic[] = {0xFF, 0xD8};
constexpr uint8_t kPngMagic[] = {0x89, 'P', 'N', 'G'};
constexpr uint8_t kBmpMagic[] = {'B', 'M'};
constexpr uint8_t kGifMagic[] = {'G', 'I', 'F', '8'};
const Format kFormats[] = {{kJpegMagic, sizeof kJpegMagic, DecodeJpeg},
                           {kPngMagic, sizeof kPngMagic, DecodePng},
                           {kBmpMagic, sizeof kBmpMagic, DecodeBmp},
                           {kGifMagic, sizeof kGifMagic, DecodeGif}};

// Pulls the file through the callback, in pieces of at most the caller's capacity.
bool PullFile(DecompressImageInfo* info, std::vector<uint8_t>* file) {
  std::vector<uint8_t> own;
  uint8_t* buffer = info->buffer;
  uint32_t capacity = info->bufferCapacity;
  if (!buffer || capacity == 0) {
    own.resize(kDefaultChunk);
    buffer = own.data();
    capacity = kDefaultChunk;
  }
  file->assign(buffer, buffer + std::min(info->bufferUsed, capacity));
  while (file->size() <= kMaxImageFileBytes) {
    const uint32_t count = std::min(info->getData(buffer, capacity, info->user), capacity);
    if (count == 0) return true;
    file->insert(file->end(), buffer, buffer + count);
  }
  return false;
}

bool Decode(const std::vector<uint8_t>& file, const ImageFit& fit, RgbPicture* picture) {
  for (const Format& format : kFormats)
    if (file.size() >= format.magicSize &&
        std::memcmp(file.data(), format.magic, format.magicSize) == 0)
      return format.decode(file, fit, picture) &&
             ImageSizeAllowed(picture->width, picture->height) &&
             picture->rgb.size() == size_t{3} * picture->width * picture->height;
  return false;
}

// The size that fits `scale` per cent inside the maximum, keeping the proportions.
void FitSize(const DecompressImageInfo& info, int32_t width, int32_t height, int32_t* outWidth,
             int32_t* outHeight) {
  int64_t w = width, h = height;
  if (info.scale > 0 && info.scale != 100) {
    w = std::max<int64_t>(1, w * info.scale / 100);
    h = std::max<int64_t>(1, h * info.scale / 100);
  }
  const int64_t maxW = info.maxWidth > 0 ? info.maxWidth : w;
  const int64_t maxH = info.maxHeight > 0 ? info.maxHeight : h;
  if (w > maxW || h > maxH) {
    if (w * maxH > h * maxW) {
      h = std::max<int64_t>(1, h * maxW / w);
      w = maxW;
    } else {
      w = std::max<int64_t>(1, w * maxH / h);
      h = maxH;
    }
  }
  *outWidth = static_cast<int32_t>(w);
  *outHeight = static_cast<int32_t>(h);
}

// Box-filtered downscale (or nearest upscale) straight into 16-bit pixels.
void Resample(const RgbPicture& in, int32_t width, int32_t height, uint16_t* out) {
  for (int32_t y = 0; y < height; ++y) {
    const int32_t top = static_cast<int32_t>(int64_t{y} * in.height / height);
    const int32_t bottom =
        std::max(top + 1, static_cast<int32_t>(int64_t{y + 1} * in.height / height));
    for (int32_t x = 0; x < width; ++x) {
      const int32_t left = static_cast<int32_t>(int64_t{x} * in.width / width);
      const int32_t right =
          std::max(left + 1, static_cast<int32_t>(int64_t{x + 1} * in.width / width));
      uint64_t sum[3] = {0, 0, 0};
      for (int32_t sy = top; sy < bottom; ++sy)
        for (int32_t sx = left; sx < right; ++sx)
          for (int c = 0; c < 3; ++c) sum[c] += in.rgb[(size_t{1} * sy * in.width + sx) * 3 + c];
      const uint64_t n = uint64_t(bottom - top) * (right - left);
      out[size_t{1} * y * width + x] =
          ColorToPixel(static_cast<uint32_t>((sum[0] + n / 2) / n) |
                       static_cast<uint32_t>((sum[1] + n / 2) / n) << 8 |
                       static_cast<uint32_t>((sum[2] + n / 2) / n) << 16);
    }
  }
}

}  // namespace

bool ImageSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

int32_t DecompressImageIndirect(DecompressImageInfo* info) {
  if (!info || !info->result) return kImageFailed;
  *info->result = nullptr;
  std::vector<uint8_t> file;
  RgbPicture picture;
  const ImageFit fit{.width = std::max(info->maxWidth, 0), .height = std::max(info->maxHeight, 0)};
  if (!info->getData || !PullFile(info, &file) || !Decode(file, fit, &picture)) return kImageFailed;
  int32_t width, height;
  FitSize(*info, picture.width, picture.height, &width, &height);
  BitmapHandle bitmap = CreateCompatibleBitmap(info->dc, width, height);
  if (!bitmap) return kImageFailed;
  Resample(picture, width, height, GetBitmapBits(bitmap));
  *info->result = bitmap;
  if (info->progress) info->progress(bitmap, true, info->user);
  return kImageDecoded;
}
