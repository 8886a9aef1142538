// MorvelantMpegAudio.so driven through the audio thread's protocol, compared with libmpg123
// decoding the same file on its own.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "codecs/audio_decode_harness.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/text.h"
#include "tests/codecs/test_media.h"

namespace {

constexpr char kTags[] =
    "-metadata title=Tone -metadata artist=Morvelant -metadata album=Fixtures -id3v2_version 3 ";

std::string Tone(const std::string& fileName, int rate, int channels, const std::string& extra) {
  return MakeTestMedia(
      fileName, "-f lavfi -i sine=frequency=440:sample_rate=" + std::to_string(rate) +
                    ":duration=2 -ac " + std::to_string(channels) + " -c:a libmp3lame -b:a 64k " +
                    extra);
}

// libmpg123 on the file itself, 16-bit, at `rate` (0 = the stream's own).
std::vector<uint8_t> DirectDecode(const std::string& path, long rate) {
  mpg123_init();
  mpg123_handle* handle = mpg123_new(nullptr, nullptr);
  if (rate) {
    mpg123_format_none(handle);
    mpg123_format(handle, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  EXPECT_EQ(mpg123_open(handle, path.c_str()), MPG123_OK);
  return DrainMpg123(handle);
}

class MpegAudioPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    library = LoadLibrary(Utf8ToWide(MORVELANT_DIST_DIR "/MorvelantMpegAudio.so"));
    ASSERT_NE(library, nullptr) << LibraryLoadError();
    calls = {
        .DecoderInit = reinterpret_cast<DecoderInitFunction>(Find("DecoderInit")),
        .DecoderExit = reinterpret_cast<DecoderExitFunction>(Find("DecoderExit")),
        .GetHeaderInfo = reinterpret_cast<GetHeaderInfoFunction>(Find("GetHeaderInfo")),
        .DecompressAudio = reinterpret_cast<DecompressAudioFunction>(Find("DecompressAudio")),
    };
  }
  void TearDown() override { FreeLibrary(library); }
  void* Find(const char* name) {
    void* entry = GetProcAddress(library, name);
    EXPECT_NE(entry, nullptr) << name;
    return entry;
  }

  AudioPassResult Decode(const std::string& path, const AudioPassOptions& options) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path, &bytes));
    const AudioByteSource source =
        ByteSourceOver(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    AudioPassResult result;
    EXPECT_TRUE(RunAudioDecodingPass(calls, source, options, &result));
    EXPECT_EQ(result.endStatus, kAudioEndOfInput);
    // Every byte is counted, those before the first frame too; the retry's fresh
    // initialisation counts from the header buffer on.
    const size_t uncounted = bytes.size() - size_t(result.lastPosition);
    EXPECT_TRUE(options.retryRate ? uncounted < AUDIO_INPUT_SIZE : uncounted == 0) << uncounted;
    return result;
  }

  LibraryHandle library = nullptr;
  AudioDecoderCalls calls{};
};

TEST_F(MpegAudioPlugin, TaggedStreamComesToTheFrontWithAKeepCountAndDecodesAsLibmpg123) {
  // A tag longer than one input buffer puts the first frame in the middle of a later one.
  const std::string path = Tone("tagged.mp3", 44100, 2,
                                kTags + std::string("-metadata comment=") + std::string(6000, 'x'));
  ASSERT_FALSE(path.empty());
  const AudioPassResult result = Decode(path, {});
  ASSERT_GE(result.headerStatuses.size(), 3u);
  EXPECT_EQ(result.headerStatuses[0], AUDIO_STATUS_CONSUMED);
  const int32_t keep = result.headerStatuses[result.headerStatuses.size() - 2];
  EXPECT_GT(keep, 0);
  EXPECT_LT(keep, AUDIO_INPUT_SIZE);
  EXPECT_EQ(result.headerStatuses.back(), AUDIO_STATUS_READY);
  EXPECT_EQ(result.rate, 44100);
  EXPECT_EQ(result.channels, 2);
  EXPECT_NEAR(result.bitrate, 64000, 4000);
  EXPECT_EQ(std::u16string(result.title), u"Tone");
  EXPECT_EQ(std::u16string(result.artist), u"Morvelant");
  EXPECT_EQ(std::u16string(result.album), u"Fixtures");
  const std::vector<uint8_t> direct = DirectDecode(path, 0);
  ASSERT_GT(direct.size(), 44100u * 4);
  EXPECT_EQ(result.pcm, direct);
}

struct RetryCase {
  int streamRate, channels, askedRate;
};

class MpegAudioRetry : public MpegAudioPlugin, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(MpegAudioRetry, RetryAtTheRequestedRateDecodesAsLibmpg123AtThatRate) {
  const RetryCase& item = GetParam();
  const std::string path =
      Tone("tone" + std::to_string(item.streamRate) + ".mp3", item.streamRate, item.channels, "");
  ASSERT_FALSE(path.empty());
  const AudioPassResult result = Decode(path, {.retryRate = item.askedRate});
  EXPECT_EQ(result.headerStatuses.back(), AUDIO_STATUS_READY);
  EXPECT_EQ(result.rate, item.askedRate);
  EXPECT_EQ(result.channels, item.channels);
  const std::vector<uint8_t> direct = DirectDecode(path, item.askedRate);
  ASSERT_GT(direct.size(), size_t(item.askedRate));
  EXPECT_EQ(result.pcm, direct);
}

INSTANTIATE_TEST_SUITE_P(Rates, MpegAudioRetry,
                         ::testing::Values(RetryCase{48000, 2, AUDIO_RETRY_RATE_HIGH},
                                           RetryCase{32000, 1, AUDIO_RETRY_RATE_LOW}));

TEST_F(MpegAudioPlugin, EqualizerChangesTheOutputAndNeutralBandsDoNot) {
  const std::string path = Tone("plain.mp3", 44100, 2, "");
  ASSERT_FALSE(path.empty());
  const AudioPassResult off = Decode(path, {});
  const int8_t flat[11] = {};
  const AudioPassResult neutral = Decode(path, {.equalizerOn = 1, .bands = flat});
  EXPECT_EQ(neutral.pcm, off.pcm);
  // The 440 Hz tone sits between the 250 and 500 Hz bands: cut them and it gets quieter.
  const int8_t cut[11] = {0, 0, 0, 0, -12, -12, 0, 0, 0, 0, 0};
  const AudioPassResult shaped = Decode(path, {.equalizerOn = 1, .bands = cut});
  ASSERT_EQ(shaped.pcm.size(), off.pcm.size());
  auto energy = [](const std::vector<uint8_t>& pcm) {
    double sum = 0;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
      const double sample = int16_t(pcm[i] | pcm[i + 1] << 8);
      sum += sample * sample;
    }
    return sum;
  };
  EXPECT_LT(energy(shaped.pcm), energy(off.pcm) / 4);
  // Off again: the same codec instance gives the plain output back.
  EXPECT_EQ(Decode(path, {.equalizerOn = 0, .bands = cut}).pcm, off.pcm);
}

// A seek bracket mid-stream: the decoder starts afresh on bytes from elsewhere in the file,
// counts positions from the seek on, and is back in step with the file's audio after a frame.
TEST_F(MpegAudioPlugin, SeekBracketResumesDecodingFromTheNewPlace) {
  const std::string path = Tone("plain.mp3", 44100, 2, "");
  ASSERT_FALSE(path.empty());
  const std::vector<uint8_t> plain = Decode(path, {}).pcm;
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, &bytes));
  auto seekStart = reinterpret_cast<SeekBracketFunction>(Find("SeekStart"));
  auto seekEnd = reinterpret_cast<SeekBracketFunction>(Find("SeekEnd"));
  // Once about a third has been read, the reader is repositioned three quarters in (not on a
  // frame boundary), as a seek from the main window's thread does between two reads.
  const size_t seekAfter = bytes.size() / 3, target = bytes.size() * 3 / 4 + 7;
  size_t cursor = 0;
  bool seeked = false;
  const AudioByteSource source = [&](uint8_t* destination, int32_t length) {
    if (!seeked && cursor >= seekAfter) {
      seekStart();
      cursor = target;
      seekEnd();
      seeked = true;
    }
    const size_t count = std::min(bytes.size() - cursor, size_t(length));
    std::memcpy(destination, bytes.data() + cursor, count);
    cursor += count;
    return int32_t(count);
  };
  AudioPassResult result;
  ASSERT_TRUE(RunAudioDecodingPass(calls, source, {}, &result));
  EXPECT_EQ(size_t(result.lastPosition), bytes.size() - target);
  ASSERT_GT(result.pcm.size(), plain.size() / 3);
  EXPECT_LT(result.pcm.size(), plain.size() * 3 / 4);
  // A stretch well after the seek is the file's own audio, sample for sample.
  const auto stretch = result.pcm.end() - long(result.pcm.size() / 4);
  EXPECT_NE(std::search(plain.begin(), plain.end(), stretch, stretch + 4096), plain.end());
}

// The user interface changes the equalizer from its own thread while the audio thread decodes.
TEST_F(MpegAudioPlugin, EqualizerChangesFromAnotherThreadKeepTheStreamWhole) {
  const std::string path = Tone("plain.mp3", 44100, 2, "");
  ASSERT_FALSE(path.empty());
  const size_t plainBytes = Decode(path, {}).pcm.size();
  std::atomic<bool> decoding{true};
  std::thread userInterface([&] {
    const int8_t boost[11] = {0, 6, 6, 3, 0, 0, 0, 0, 3, 6, 6};
    for (int8_t on = 1; decoding; on ^= 1) calls.DecoderInit(on, boost);
  });
  const AudioPassResult result = Decode(path, {});
  decoding = false;
  userInterface.join();
  EXPECT_EQ(result.pcm.size(), plainBytes);
}

// An equalizer change between two passes opens a decoder of its own: the next pass still plays
// the whole stream, and the decoder left open at the end goes with the library (the leak
// checker of the sanitizer build watches the unload).
TEST_F(MpegAudioPlugin, AnEqualizerChangeBetweenPassesKeepsTheNextPassWhole) {
  const std::string path = Tone("plain.mp3", 44100, 2, "");
  ASSERT_FALSE(path.empty());
  const size_t plainBytes = Decode(path, {}).pcm.size();
  const int8_t boost[11] = {0, 6, 6, 3, 0, 0, 0, 0, 3, 6, 6};
  calls.DecoderInit(1, boost);
  EXPECT_EQ(Decode(path, {}).pcm.size(), plainBytes);
  calls.DecoderInit(0, boost);
}

}  // namespace
