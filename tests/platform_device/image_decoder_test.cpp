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

}  // namespace
