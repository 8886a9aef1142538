// The built-in decoders: the video pass-through pair and PcmPassThrough.
#include <gtest/gtest.h>

#include <array>
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
  void TearDown() override {
    currentDescriptor = nullptr;
    PcmPassThroughSetSampleBits(16);
  }
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

// 4096 unsigned 8-bit samples become 8192 bytes of signed 16-bit ones, more than one call may
// write: they come in two pieces, the first as large as the capacity, and the position counts
// the stream's bytes.
TEST_F(PcmPassThrough, WidensEightBitSamplesInPiecesOfTheCapacity) {
  PcmPassThroughSetSampleBits(8);
  std::vector<uint8_t> input(AUDIO_INPUT_SIZE), output(AUDIO_OUTPUT_BUFFER_SIZE);
  for (size_t i = 0; i < input.size(); ++i) input[i] = uint8_t(i * 7);
  input[0] = 0;    // the most negative sample
  input[1] = 128;  // silence
  input[2] = 255;  // the most positive
  int32_t outLength = -1, position = -1;
  ASSERT_EQ(PcmPassThroughDecompress(input.data(), int32_t(input.size()), output.data(),
                                     AUDIO_OUTPUT_CAPACITY, &outLength, &position),
            AUDIO_STATUS_READY);
  std::vector<int16_t> samples;
  std::vector<std::array<int32_t, 3>> calls;  // status, out length, position
  for (int32_t status = AUDIO_STATUS_READY; status == AUDIO_STATUS_READY && calls.size() < 4;) {
    status = PcmPassThroughDecompress(nullptr, 0, output.data(), AUDIO_OUTPUT_CAPACITY, &outLength,
                                      &position);
    calls.push_back({status, outLength, position});
    for (int32_t at = 0; at + 1 < outLength; at += 2)
      samples.push_back(int16_t(output[at] | output[at + 1] << 8));
  }
  const std::vector<std::array<int32_t, 3>> expected = {
      {AUDIO_STATUS_READY, AUDIO_OUTPUT_CAPACITY, AUDIO_OUTPUT_CAPACITY / 2},
      {AUDIO_STATUS_CONSUMED, 2 * AUDIO_INPUT_SIZE - AUDIO_OUTPUT_CAPACITY, AUDIO_INPUT_SIZE}};
  EXPECT_EQ(calls, expected);
  ASSERT_EQ(samples.size(), input.size());
  EXPECT_EQ(samples[0], -32768);
  EXPECT_EQ(samples[1], 0);
  EXPECT_EQ(samples[2], 32512);
  for (size_t i = 0; i < input.size(); ++i)
    ASSERT_EQ(samples[i], (input[i] - 128) * 256) << "sample " << i;
}

}  // namespace
