// Pictures made at test time by ImageMagick, decoded through the data callback in 1024-byte
// pieces as the player hands them over.
#include "platform/image_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "../platform/temp_folder.h"

namespace {

constexpr uint32_t kPiece = 1024;

struct Source {
  std::ifstream file;
  uint32_t calls = 0;
  uint32_t largest = 0;
};

uint32_t ProvideBytes(uint8_t* buffer, uint32_t capacity, uintptr_t user) {
  auto* source = reinterpret_cast<Source*>(user);
  source->file.read(reinterpret_cast<char*>(buffer), capacity);
  const auto count = static_cast<uint32_t>(source->file.gcount());
  ++source->calls;
  source->largest = std::max(source->largest, count);
  return count;
}

// Decodes a file as the skin loader does: 1024-byte staging buffer, at most 800 x 600.
BitmapHandle Decode(const std::string& path, BitmapHandle* slot, Source* source) {
  source->file.open(path, std::ios::binary);
  uint8_t staging[kPiece] = {};
  DecompressImageInfo info{.size = sizeof(DecompressImageInfo),
                           .buffer = staging,
                           .bufferCapacity = kPiece,
                           .bufferUsed = 0,
                           .result = slot,
                           .bitDepth = 24,
                           .user = reinterpret_cast<uintptr_t>(source),
                           .scale = 100,
                           .maxWidth = 800,
                           .maxHeight = 600,
                           .getData = ProvideBytes,
                           .transparentColor = 0xFFFFFFFF};
  DecompressImageIndirect(&info);
  return *slot;
}

bool Convert(const std::string& arguments) {
  return std::system(("convert " + arguments + " 2>/dev/null").c_str()) == 0;
}

struct ImageDecoderTest : ::testing::Test {
  TempFolder folder;
  void SetUp() override {
    if (std::system("convert -version >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "ImageMagick's convert is not installed";
  }
};

bool Near(uint32_t color, uint32_t expected) {
  for (int shift = 0; shift <= 16; shift += 8)
    if (std::abs(int((color >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 24) return false;
  return true;
}

TEST_F(ImageDecoderTest, EachFormatDecodesThroughTheCallbackInPieces) {
  const char* targets[] = {"picture.jpg",
                           "picture.png",
                           "BMP3:picture.bmp",
                           "picture.gif",
                           "-type Palette BMP3:palette.bmp",
                           "BMP:picture-v5.bmp"};
  for (const char* target : targets) {
    const std::string layout = target;
    const std::string name = layout.substr(layout.find_last_of(" :") + 1);
    const std::string prefix = layout.substr(0, layout.size() - name.size());
    ASSERT_TRUE(Convert("-size 64x48 xc:red -fill blue -draw 'rectangle 32,0 63,47' " + prefix +
                        (folder / name)))
        << target;
    Source source;
    BitmapHandle bitmap = nullptr;
    ASSERT_NE(Decode(folder / name, &bitmap, &source), nullptr) << target;
    EXPECT_LE(source.largest, kPiece);
    EXPECT_GT(source.calls, 1u);
    EXPECT_EQ(GetBitmapSize(bitmap).cx, 64) << target;
    EXPECT_EQ(GetBitmapSize(bitmap).cy, 48) << target;
    DeviceContextHandle dc = CreateCompatibleDC(nullptr);
    BitmapHandle previous = SelectBitmap(dc, bitmap);
    EXPECT_TRUE(Near(GetPixel(dc, 8, 40), RGB(255, 0, 0)))
        << target << " " << std::hex << GetPixel(dc, 8, 40);
    EXPECT_TRUE(Near(GetPixel(dc, 56, 4), RGB(0, 0, 255)))
        << target << " " << std::hex << GetPixel(dc, 56, 4);
    SelectBitmap(dc, previous);
    DeleteDC(dc);
    DeleteBitmap(bitmap);
  }
}

TEST_F(ImageDecoderTest, LargePicturesFitTheMaximumKeepingTheirProportions) {
  const struct {
    const char* size;
    int32_t width, height;
  } cases[] = {{"1600x1200", 800, 600},
               {"2000x500", 800, 200},
               {"300x1200", 150, 600},
               {"640x480", 640, 480}};
  for (const auto& c : cases) {
    const std::string path = folder / (std::string(c.size) + ".jpg");
    ASSERT_TRUE(Convert("-size " + std::string(c.size) + " gradient:white-black " + path));
    Source source;
    BitmapHandle bitmap = nullptr;
    ASSERT_NE(Decode(path, &bitmap, &source), nullptr) << c.size;
    EXPECT_EQ(GetBitmapSize(bitmap).cx, c.width) << c.size;
    EXPECT_EQ(GetBitmapSize(bitmap).cy, c.height) << c.size;
    DeleteBitmap(bitmap);
  }
}

TEST_F(ImageDecoderTest, AFileThatDoesNotDecodeGivesNoImageNeverAStaleOne) {
  ASSERT_TRUE(Convert("-size 40x30 xc:green " + (folder / "good.png")));
  std::ifstream good(folder / "good.png", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(good), {}};
  std::ofstream(folder / "cut.png", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  std::ofstream(folder / "text.jpg") << "this is not a picture";
  std::ofstream(folder / "empty.gif");
  std::string header = "BM" + std::string(60, '\0');  // a BMP header promising nothing
  std::ofstream(folder / "short.bmp", std::ios::binary) << header;

  Source first;
  BitmapHandle slot = nullptr;
  ASSERT_NE(Decode(folder / "good.png", &slot, &first), nullptr);
  BitmapHandle kept = slot;
  for (const char* name : {"cut.png", "text.jpg", "empty.gif", "short.bmp"}) {
    Source source;
    EXPECT_EQ(Decode(folder / name, &slot, &source), nullptr) << name;
  }
  DeleteBitmap(kept);
}

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

void Put16(std::string* bytes, size_t at, uint32_t value, bool bigEndian) {
  (*bytes)[at + (bigEndian ? 1 : 0)] = char(value & 0xFF);
  (*bytes)[at + (bigEndian ? 0 : 1)] = char(value >> 8);
}

void Put32(std::string* bytes, size_t at, uint32_t value, bool bigEndian) {
  for (int i = 0; i < 4; ++i) (*bytes)[at + (bigEndian ? 3 - i : i)] = char(value >> (8 * i));
}

uint32_t Crc32(const std::string& bytes, size_t from, size_t count) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = from; i < from + count; ++i) {
    crc ^= uint8_t(bytes[i]);
    for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
  }
  return ~crc;
}

// Small real pictures whose headers are made to declare absurd sizes: each once asked for
// gigabytes before a byte of its data was checked. Now each is refused without the allocation.
TEST_F(ImageDecoderTest, AbsurdDeclaredSizesAreRefusedBeforeAllocating) {
  for (const char* name : {"small.gif", "small.png", "small.jpg", "small.bmp"})
    ASSERT_TRUE(Convert("-size 8x8 xc:red " + (folder / name)));
  std::string gif = ReadAll(folder / "small.gif");
  Put16(&gif, 6, 65535, false);  // the logical screen
  Put16(&gif, 8, 65535, false);
  std::string gifImage = ReadAll(folder / "small.gif");  // only the image descriptor
  const size_t descriptor = gifImage.find(',', 13);
  ASSERT_NE(descriptor, std::string::npos);
  Put16(&gifImage, descriptor + 5, 65535, false);
  Put16(&gifImage, descriptor + 7, 65535, false);
  std::string png = ReadAll(folder / "small.png");
  Put32(&png, 16, 40000, true);
  Put32(&png, 20, 40000, true);
  Put32(&png, 29, Crc32(png, 12, 17), true);  // IHDR's checksum, so the header is believed
  std::string jpeg = ReadAll(folder / "small.jpg");
  const size_t frame = jpeg.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  Put16(&jpeg, frame + 5, 65500, true);
  Put16(&jpeg, frame + 7, 65500, true);
  std::string bmp = ReadAll(folder / "small.bmp");
  Put32(&bmp, 22, 0x80000000u, false);  // the most negative height
  std::string wideBmp = ReadAll(folder / "small.bmp");
  Put32(&wideBmp, 18, 20000, false);
  Put32(&wideBmp, 22, 20000, false);
  const struct {
    const char* name;
    const std::string& bytes;
  } cases[] = {{"screen.gif", gif}, {"descriptor.gif", gifImage}, {"huge.png", png},
               {"huge.jpg", jpeg},  {"negative.bmp", bmp},        {"huge.bmp", wideBmp}};
  for (const auto& c : cases) {
    std::ofstream(folder / c.name, std::ios::binary) << c.bytes;
    Source source;
    BitmapHandle slot = nullptr;
    EXPECT_EQ(Decode(folder / c.name, &slot, &source), nullptr) << c.name;
  }
}

// A JPEG too large to decode whole is reduced by the library while decoding (here by 1/8), so
// it still gives its picture at the requested size.
TEST_F(ImageDecoderTest, ALargeJpegIsReducedWhileDecoding) {
  ASSERT_TRUE(Convert("-size 64x64 xc:blue " + (folder / "small.jpg")));
  std::string jpeg = ReadAll(folder / "small.jpg");
  const size_t frame = jpeg.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  Put16(&jpeg, frame + 5, 12000, true);  // 16000 x 12000 declared: 192 M pixels whole
  Put16(&jpeg, frame + 7, 16000, true);
  std::ofstream(folder / "large.jpg", std::ios::binary) << jpeg;
  Source source;
  BitmapHandle slot = nullptr;
  ASSERT_NE(Decode(folder / "large.jpg", &slot, &source), nullptr);
  EXPECT_EQ(GetBitmapSize(slot).cx, 800);
  EXPECT_EQ(GetBitmapSize(slot).cy, 600);
  DeleteBitmap(slot);
}

}  // namespace
