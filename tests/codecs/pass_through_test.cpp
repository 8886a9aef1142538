// The built-in decoders: the video pass-through pair and PcmPassThrough.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codecs/pcm_pass_through.h"
#include "codecs/video_pass_through.h"
#include "media/reader_state.h"

namespace {

TEST(VideoPassThrough, CopiesTheRecordAtThePacketStart) {
  uint8_t plane[16] = {};
  DecodedPicture delivered{.Luma = plane,
                           .Cr = plane + 8,
                           .Cb = plane + 12,
                           .LumaStride = 4,
                           .ChromaStride = 2,
                           .PreviousLuma = plane};
  std::vector<uint8_t> packet(DECODED_PICTURE_SIZE + 10, 0xEE);
  std::memcpy(packet.data(), &delivered, sizeof delivered);
  DecodedPicture picture{};
  EXPECT_EQ(VideoPassThroughInit(0, DECODE_INIT_NEW_ITEM, nullptr, 0), 0);
  EXPECT_EQ(VideoPassThroughFrame(packet.data(), int32_t(packet.size()), &picture, 2), 1);
  EXPECT_EQ(std::memcmp(&picture, &delivered, sizeof picture), 0);
}

TEST(VideoPassThrough, PacketTooShortForARecordGivesNoPicture) {
  const std::vector<uint8_t> packet(DECODED_PICTURE_SIZE - 1, 0xEE);
  DecodedPicture picture{};
  EXPECT_EQ(VideoPassThroughFrame(packet.data(), int32_t(packet.size()), &picture, 2), 0);
  EXPECT_EQ(picture.Luma, nullptr);
}

class PcmPassThrough : public ::testing::Test {
 protected:
  void SetUp() override {
    item.SampleRate = 22050;
    item.Channels = 2;
    item.PcmBitrate = 705600;
    currentDescriptor = &item;
    PcmPassThroughInit(1, nullptr);
  }
  // One wave buffer's worth: a call with input, then the drain call.
  int32_t Pass(const std::vector<uint8_t>& input, std::vector<uint8_t>* output) {
    int32_t outLength = -1, position = -1;
    EXPECT_EQ(PcmPassThroughDecompress(input.data(), int32_t(input.size()), output->data(),
                                       AUDIO_OUTPUT_CAPACITY, &outLength, &position),
              AUDIO_STATUS_READY);
    EXPECT_EQ(outLength, 0);
    EXPECT_EQ(PcmPassThroughDecompress(nullptr, 0, output->data(), AUDIO_OUTPUT_CAPACITY,
                                       &outLength, &position),
              AUDIO_STATUS_CONSUMED);
    EXPECT_EQ(outLength, int32_t(input.size()));
    return position;
  }
  void TearDown() override { currentDescriptor = nullptr; }
  MediaDescriptor item{};
};

TEST_F(PcmPassThrough, ReportsTheReadersFormatAndLeavesTheTagsAlone) {
  int32_t rate = AUDIO_RETRY_RATE_HIGH, channels = 0, bitrate = 0;
  char16_t title[AUDIO_TAG_CHARS] = u"kept";
  EXPECT_EQ(PcmPassThroughHeader(nullptr, AUDIO_INPUT_SIZE, &rate, &channels, &bitrate, title,
                                 title, title),
            AUDIO_STATUS_READY);
  EXPECT_EQ(rate, 22050);
  EXPECT_EQ(channels, 2);
  EXPECT_EQ(bitrate, 705600);
  EXPECT_EQ(std::u16string(title), u"kept");
}

TEST_F(PcmPassThrough, PassesBytesUnchangedAndCountsThemUntilASeek) {
  std::vector<uint8_t> first(AUDIO_INPUT_SIZE), second(1000), output(AUDIO_OUTPUT_BUFFER_SIZE);
  for (size_t i = 0; i < first.size(); ++i) first[i] = uint8_t(i * 7);
  EXPECT_EQ(Pass(first, &output), AUDIO_INPUT_SIZE);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), output.begin()));
  EXPECT_EQ(Pass(second, &output), AUDIO_INPUT_SIZE + 1000);
  PcmPassThroughSeekStart();
  PcmPassThroughSeekEnd();
  EXPECT_EQ(Pass(second, &output), 1000);
  PcmPassThroughInit(1, nullptr);
  EXPECT_EQ(Pass(first, &output), AUDIO_INPUT_SIZE);
}

}  // namespace
