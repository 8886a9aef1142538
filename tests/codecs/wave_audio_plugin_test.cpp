// MorvelantAudio.so driven through the audio thread's protocol for the tags it serves, compared
// with libavcodec decoding the same packets on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswresample/swresample.h>
}

#include "codecs/audio_decode_harness.h"
#include "platform/library.h"
#include "platform/text.h"
#include "tests/codecs/test_media.h"

namespace {

// libavcodec on the demuxed packets, converted to interleaved 16-bit at the stream's rate.
std::vector<uint8_t> ReferencePcm(const DemuxedStream& stream, int outputChannels) {
  const AVCodec* codec = avcodec_find_decoder(stream.parameters->codec_id);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(context, stream.parameters);
  EXPECT_EQ(avcodec_open2(context, codec, nullptr), 0);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  SwrContext* resampler = nullptr;
  std::vector<uint8_t> pcm;
  // ADPCM decoders take one block per packet; the WAV demuxer hands over several.
  const std::vector<uint8_t> all = JoinPackets(stream);
  const bool blocks = stream.parameters->codec_id == AV_CODEC_ID_ADPCM_IMA_WAV ||
                      stream.parameters->codec_id == AV_CODEC_ID_ADPCM_MS;
  std::vector<std::vector<uint8_t>> packets = stream.packets;
  if (blocks) {
    packets.clear();
    for (size_t at = 0; at < all.size(); at += size_t(stream.parameters->block_align))
      packets.emplace_back(
          all.begin() + long(at),
          all.begin() + long(std::min(all.size(), at + stream.parameters->block_align)));
  }
  for (const auto& bytes : packets) {
    av_new_packet(packet, int(bytes.size()));
    std::memcpy(packet->data, bytes.data(), bytes.size());
    avcodec_send_packet(context, packet);
    av_packet_unref(packet);
    while (avcodec_receive_frame(context, frame) == 0) {
      if (!resampler) {
        AVChannelLayout layout;
        av_channel_layout_default(&layout, outputChannels);
        swr_alloc_set_opts2(&resampler, &layout, AV_SAMPLE_FMT_S16, frame->sample_rate,
                            &frame->ch_layout, AVSampleFormat(frame->format), frame->sample_rate, 0,
                            nullptr);
        swr_init(resampler);
      }
      std::vector<uint8_t> block(size_t(frame->nb_samples) * outputChannels * 2 + 64);
      uint8_t* out = block.data();
      const int samples =
          swr_convert(resampler, &out, frame->nb_samples + 16,
                      const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
      pcm.insert(pcm.end(), block.begin(), block.begin() + samples * outputChannels * 2);
    }
  }
  swr_free(&resampler);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return pcm;
}

struct WaveCase {
  const char* fileName;
  const char* ffmpegArgs;
  int32_t tag;
  int32_t channels, rate;
};

class WaveAudioPlugin : public ::testing::TestWithParam<WaveCase> {};

TEST_P(WaveAudioPlugin, DecodesAsLibavcodecDoes) {
  const WaveCase& item = GetParam();
  const std::string path =
      MakeTestMedia(item.fileName,
                    "-f lavfi -i sine=frequency=660:sample_rate=" + std::to_string(item.rate) +
                        ":duration=2 -ac " + std::to_string(item.channels) + " " + item.ffmpegArgs);
  ASSERT_FALSE(path.empty());
  DemuxedStream stream;
  ASSERT_TRUE(DemuxStream(path, AVMEDIA_TYPE_AUDIO, &stream));
  const std::vector<uint8_t> bytes = JoinPackets(stream);
  const std::vector<uint8_t> reference = ReferencePcm(stream, item.channels);

  LibraryHandle library = LoadLibrary(Utf8ToWide(MORVELANT_DIST_DIR "/MorvelantAudio.so"));
  ASSERT_NE(library, nullptr) << LibraryLoadError();
  auto find = [&](const char* name) { return GetProcAddress(library, name); };
  reinterpret_cast<DecoderSetFormatFunction>(find("DecoderSetFormat"))(item.tag, item.channels,
                                                                       item.rate);
  const AudioDecoderCalls calls{
      .DecoderInit = reinterpret_cast<DecoderInitFunction>(find("DecoderInit")),
      .DecoderExit = reinterpret_cast<DecoderExitFunction>(find("DecoderExit")),
      .GetHeaderInfo = reinterpret_cast<GetHeaderInfoFunction>(find("GetHeaderInfo")),
      .DecompressAudio = reinterpret_cast<DecompressAudioFunction>(find("DecompressAudio")),
  };
  const AudioByteSource source = ByteSourceOver(bytes.data(), bytes.size());
  AudioPassResult result;
  ASSERT_TRUE(RunAudioDecodingPass(calls, source, {}, &result));
  FreeLibrary(library);

  EXPECT_EQ(result.rate, item.rate);
  EXPECT_EQ(result.channels, item.channels);
  EXPECT_EQ(size_t(result.lastPosition), bytes.size());
  // The parser holds the last frame back until a next one starts; at the stream's end that
  // frame is not asked for.
  ASSERT_GT(result.pcm.size(), reference.size() * 9 / 10);
  ASSERT_LE(result.pcm.size(), reference.size());
  EXPECT_TRUE(std::equal(result.pcm.begin(), result.pcm.end(), reference.begin()));
}

INSTANTIATE_TEST_SUITE_P(
    Tags, WaveAudioPlugin,
    ::testing::Values(WaveCase{"tone.ac3", "-c:a ac3 -b:a 192k", 0x2000, 2, 48000},
                      WaveCase{"tone.aac", "-c:a aac -b:a 96k -f adts", 0x00FF, 2, 44100},
                      WaveCase{"ima.wav", "-c:a adpcm_ima_wav", 0x0011, 2, 22050},
                      WaveCase{"ima_mono.wav", "-c:a adpcm_ima_wav", 0x0011, 1, 44100},
                      WaveCase{"ms.wav", "-c:a adpcm_ms", 0x0002, 1, 22050},
                      WaveCase{"ms_stereo.wav", "-c:a adpcm_ms -block_size 512", 0x0002, 2, 44100},
                      WaveCase{"alaw.wav", "-c:a pcm_alaw", 0x0006, 1, 8000}),
    [](const auto& info) {
      std::string name = info.param.fileName;
      std::replace(name.begin(), name.end(), '.', '_');
      return name;
    });

// Every length of a record is read only as far as it goes: one cut before the bits per sample,
// or whose extra size runs past its end, is refused, and the codec then decodes nothing until
// the next item's DecoderSetFormat.
TEST(WaveAudioPluginRecord, CutRecordsAreRefusedWithoutReadingPastThem) {
  LibraryHandle library = LoadLibrary(Utf8ToWide(MORVELANT_DIST_DIR "/MorvelantAudio.so"));
  ASSERT_NE(library, nullptr) << LibraryLoadError();
  auto setFormat =
      reinterpret_cast<DecoderSetFormatFunction>(GetProcAddress(library, "DecoderSetFormat"));
  auto setWaveFormat = reinterpret_cast<DecoderSetWaveFormatFunction>(
      GetProcAddress(library, "DecoderSetWaveFormat"));
  auto init = reinterpret_cast<DecoderInitFunction>(GetProcAddress(library, "DecoderInit"));
  auto exit = reinterpret_cast<DecoderExitFunction>(GetProcAddress(library, "DecoderExit"));
  ASSERT_TRUE(setFormat && setWaveFormat && init && exit);
  // IMA ADPCM, mono, 22050 Hz, 1024-byte blocks, 4 bits, 2 extra bytes: 2041 samples per block.
  const std::vector<uint8_t> whole = {0x11, 0, 1, 0, 0x22, 0x56, 0, 0, 0xE4, 0x2B,
                                      0,    0, 0, 4, 4,    0,    2, 0, 0xF9, 7};
  for (size_t length = 0; length <= whole.size(); ++length) {
    const bool usable = length == 16 || length == 17 || length == 20;
    setFormat(0x11, 1, 22050);
    // A buffer of exactly the record's length, so that a read past it is caught.
    const std::vector<uint8_t> record(whole.begin(), whole.begin() + long(length));
    EXPECT_EQ(setWaveFormat(record.data(), int32_t(length)) == 0, usable) << length;
    EXPECT_EQ(init(0, nullptr) == 0, usable) << length;
    exit();
  }
  setFormat(0x11, 1, 22050);  // a new item without a record: the refusal is forgotten
  EXPECT_EQ(init(0, nullptr), 0);
  exit();
  FreeLibrary(library);
}

}  // namespace
