#include "media/avi_parser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "tests/support/avi_writer.h"

namespace {

// The body of the header list BuildAvi writes right after the RIFF header.
std::string HeaderListOf(const AviLayout& layout) {
  const std::string bytes = BuildAvi(layout).bytes;
  uint32_t size;
  std::memcpy(&size, bytes.data() + 16, 4);
  return bytes.substr(24, size - 4);
}

AviStreamChoice Parse(const std::string& list, MediaDescriptor* descriptor) {
  return ParseHeaderList(reinterpret_cast<const uint8_t*>(list.data()), list.size(), descriptor);
}

TEST(AviParserTest, HeaderCheck) {
  const struct {
    std::string bytes;
    bool avi;
  } cases[] = {
      {std::string("RIFF\xff\xff\xff\xff"
                   "AVI ",
                   12),
       true},  // the size is not checked
      {std::string("RIFF\0\0\0\0AVIX", 12), false},
      {std::string("RIFF\0\0\0\0AVI\0", 12), false},
      {std::string("RIFX\0\0\0\0AVI ", 12), false},
      {std::string("RIFF\0\0\0\0AVI", 11), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsAviHeader(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                          static_cast<int32_t>(c.bytes.size())),
              c.avi);
}

TEST(AviParserTest, FirstVideoAndAudioStreamsFillTheDescriptor) {
  AviLayout layout;
  layout.streams = {VideoStream("DX50", 300, 30000, 1001), AudioStream(0x0092, 5000)};
  layout.streams[0].width = 320;
  layout.streams[0].height = 240;
  MediaDescriptor descriptor{};
  const AviStreamChoice choice = Parse(HeaderListOf(layout), &descriptor);
  EXPECT_EQ(choice.videoStream, 0);
  EXPECT_EQ(choice.audioStream, 1);
  EXPECT_TRUE(choice.videoFrameRateUsable);
  EXPECT_STREQ(descriptor.FourCC, "DX50");
  EXPECT_DOUBLE_EQ(descriptor.FramesPerSecond, 30000.0 / 1001);
  EXPECT_EQ(descriptor.FrameCount, 300);
  EXPECT_EQ(descriptor.Width, 320);
  EXPECT_EQ(descriptor.Height, 240);
  EXPECT_EQ(descriptor.AudioFormatTag, 146);  // unsigned, not negative
  EXPECT_EQ(descriptor.AudioLength, 5000);
}

TEST(AviParserTest, ScaleZeroLeavesTheFrameRateAndMarksTheVideoUnusable) {
  for (const auto& [rate, scale] : {std::pair{25u, 0u}, std::pair{0u, 1u}}) {
    AviLayout layout;
    layout.streams = {VideoStream("XVID", 10, rate, scale)};
    MediaDescriptor descriptor{};
    descriptor.FramesPerSecond = 12.5;
    EXPECT_FALSE(Parse(HeaderListOf(layout), &descriptor).videoFrameRateUsable);
    EXPECT_DOUBLE_EQ(descriptor.FramesPerSecond, scale == 0 ? 12.5 : 0.0);
  }
}

TEST(AviParserTest, LaterStreamsOfAKindAreCountedButNotChosen) {
  AviLayout layout;
  layout.streams = {VideoStream("XVID", 10), VideoStream("DIV3", 99), AudioStream(1, 10),
                    AudioStream(0x55, 20)};
  layout.streams[1].width = 999;
  MediaDescriptor descriptor{};
  const AviStreamChoice choice = Parse(HeaderListOf(layout), &descriptor);
  EXPECT_EQ(choice.videoStream, 0);
  EXPECT_EQ(choice.audioStream, 2);
  EXPECT_STREQ(descriptor.FourCC, "XVID");
  EXPECT_EQ(descriptor.Width, 176);
  EXPECT_EQ(descriptor.AudioFormatTag, 1);
}

TEST(AviParserTest, ACutHeaderListReadsNoFurtherThanItsEnd) {
  AviLayout layout;
  layout.streams = {VideoStream("XVID", 10), AudioStream(0x55, 20)};
  const std::string list = HeaderListOf(layout);
  for (size_t length = 0; length < list.size(); ++length) {
    MediaDescriptor descriptor{};
    // The copy is exactly `length` bytes long, so ASan sees any read past it.
    const std::unique_ptr<uint8_t[]> copy(new uint8_t[length + 1]);
    std::memcpy(copy.get(), list.data(), length);
    ParseHeaderList(copy.get(), length, &descriptor);
  }
}

TEST(AviParserTest, KeyFrameThreshold) {
  const struct {
    double fps;
    int32_t frames;
    int64_t fileLength;
    int32_t threshold;
  } cases[] = {
      // 10 s; (1,000,000 - 40,000) / 10 = 96,000 bytes/s; 96,000 x 0.04 x 4 = 15,360
      {25, 250, 1000000, 15360}, {25, 24, 1000000, 0},  // under one second
      {0, 250, 1000000, 0},                             // no frame rate
      {25, 250, 1000, 0},                               // fewer bytes than the audio allowance
      {1e-9, 1000, 1000000, 0},                         // a duration beyond 32 bits
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeyFrameThreshold(c.fps, c.frames, c.fileLength), c.threshold) << c.frames;
}

}  // namespace
