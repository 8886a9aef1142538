// morvelant-probe audio and video: the shipped codecs driven through the player's reader and
// registry, compared with what ffmpeg and libmpg123 make of the same file.
#include <gtest/gtest.h>
#include <mpg123.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/codecs/test_media.h"

namespace {

struct ProbeRun {
  int status;
  std::string output;
};

// Runs the probe with its own registry home, or with `home`'s registry.
ProbeRun Probe(const std::string& command, const std::string& file, const std::string& out,
               const std::string& home = "") {
  const std::string environment =
      home.empty() ? "env -u MORVELANT_HOME " : "env MORVELANT_HOME='" + home + "' ";
  const std::string line = environment + MORVELANT_DIST_DIR "/morvelant-probe " + command + " '" +
                           file + "' '" + out + "'";
  ProbeRun run{-1, ""};
  std::FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return run;
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
    run.output.append(chunk, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The frames of a YUV4MPEG2 file, each without its "FRAME" line.
std::vector<std::string> Y4mFrames(const std::string& path, size_t frameBytes) {
  std::string bytes;
  std::vector<std::string> frames;
  if (!ReadWholeFile(path, &bytes)) return frames;
  for (size_t at = bytes.find('\n') + 1; at < bytes.size();) {
    const size_t data = bytes.find('\n', at) + 1;
    frames.push_back(bytes.substr(data, frameBytes));
    at = data + frameBytes;
  }
  return frames;
}

std::vector<uint8_t> Mpg123Feed(const std::vector<uint8_t>& stream) {
  mpg123_init();
  mpg123_handle* handle = mpg123_new(nullptr, nullptr);
  mpg123_open_feed(handle);
  mpg123_feed(handle, stream.data(), stream.size());
  return DrainMpg123(handle);
}

const std::string& XvidMp3Avi() {
  static const std::string path = MakeTestMedia(
      "probe_xvid_mp3.avi",
      "-f lavfi -i testsrc=size=176x144:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 "
      "-t 2 -c:v libxvid -vtag XVID -c:a libmp3lame -b:a 64k");
  return path;
}

TEST(ProbeCodecs, VideoPicturesEqualFfmpegsFrameForFrame) {
  ASSERT_FALSE(XvidMp3Avi().empty());
  const std::string ours = XvidMp3Avi() + ".probe.y4m", theirs = XvidMp3Avi() + ".ffmpeg.y4m";
  const ProbeRun run = Probe("video", XvidMp3Avi(), ours);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("pictures=50\n"), std::string::npos) << run.output;
  // Frames as decoded, without the repeats a constant-rate output would add for empty chunks.
  ASSERT_FALSE(
      MakeTestMedia("probe_xvid_mp3.avi.ffmpeg.y4m", "-i '" + XvidMp3Avi() +
                                                         "' -fps_mode passthrough -pix_fmt yuv420p "
                                                         "-f yuv4mpegpipe")
          .empty());
  const size_t frameBytes = 176 * 144 * 3 / 2;
  const std::vector<std::string> probe = Y4mFrames(ours, frameBytes);
  const std::vector<std::string> reference = Y4mFrames(theirs, frameBytes);
  ASSERT_EQ(probe.size(), 50u);
  ASSERT_EQ(probe.size(), reference.size());
  for (size_t i = 0; i < probe.size(); ++i) EXPECT_TRUE(probe[i] == reference[i]) << "frame " << i;
}

TEST(ProbeCodecs, AudioIsTheMpegStreamAsLibmpg123DecodesIt) {
  ASSERT_FALSE(XvidMp3Avi().empty());
  const std::string wave = XvidMp3Avi() + ".probe.wav";
  const ProbeRun run = Probe("audio", XvidMp3Avi(), wave);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("rate=44100\nchannels=1\n"), std::string::npos) << run.output;
  DemuxedStream stream;
  ASSERT_TRUE(DemuxStream(XvidMp3Avi(), AVMEDIA_TYPE_AUDIO, &stream));
  const std::vector<uint8_t> direct = Mpg123Feed(JoinPackets(stream));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(wave, &bytes));
  ASSERT_GT(bytes.size(), 44u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(bytes[22], 1);                                                  // channels
  EXPECT_EQ(uint8_t(bytes[24]) | uint8_t(bytes[25]) << 8, 44100 & 0xFFFF);  // rate, low half
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 44, bytes.end()), direct);
}

// The 16-bit samples of a WAV the probe wrote (its header is 44 bytes).
std::string ProbeSamples(const std::string& wave) {
  std::string bytes;
  return ReadWholeFile(wave, &bytes) && bytes.size() >= 44 ? bytes.substr(44) : std::string();
}

struct WaveAviCase {
  const char* name;
  const char* source;  // lavfi audio source; the rate and channels are set by the columns
  const char* codec;   // ffmpeg's encoder and its options
  int32_t rate, channels;
  bool video;       // with a small XVID picture stream, as a normal movie has
  int32_t bitrate;  // the stream's own bit rate, as the probe must report it
};

class ProbeWaveAvi : public ::testing::TestWithParam<WaveAviCase> {};

// PCM, A-law, mu-law and IMA and MS ADPCM in AVI, through the player's reader, registry and
// codec, decode to exactly the samples ffmpeg decodes from the same file. The ADPCM cases with
// silence, noise or a square wave and non-default blocks are those whose block size cannot be
// told from the data: they play only with the file's format record.
TEST_P(ProbeWaveAvi, DecodesExactlyAsFfmpegDoes) {
  const WaveAviCase& item = GetParam();
  const std::string picture = item.video ? "-f lavfi -i testsrc=size=64x48:rate=10 " : "";
  const std::string audio = "-f lavfi -i '" + std::string(item.source) +
                            ":sample_rate=" + std::to_string(item.rate) + "'";
  const std::string pictureCodec = item.video ? " -c:v libxvid -vtag XVID" : "";
  const std::string path = MakeTestMedia(std::string(item.name) + ".avi",
                                         picture + audio + pictureCodec + " -t 1 -ac " +
                                             std::to_string(item.channels) + " -c:a " + item.codec);
  ASSERT_FALSE(path.empty());
  const ProbeRun run = Probe("audio", path, path + ".wav");
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string format = "rate=" + std::to_string(item.rate) +
                             "\nchannels=" + std::to_string(item.channels) +
                             "\nbitrate=" + std::to_string(item.bitrate) + "\n";
  EXPECT_NE(run.output.find(format), std::string::npos) << run.output;
  ASSERT_FALSE(
      MakeTestMedia(std::string(item.name) + ".raw", "-i '" + path + "' -vn -f s16le").empty());
  std::string reference;
  ASSERT_TRUE(ReadWholeFile(path.substr(0, path.size() - 4) + ".raw", &reference));
  const std::string ours = ProbeSamples(path + ".wav");
  ASSERT_GT(reference.size(), size_t(item.rate) * item.channels);  // most of a second
  EXPECT_EQ(ours.size(), reference.size());
  EXPECT_TRUE(ours == reference);
}

// Bit rates: PCM rate x channels x bits per sample, the companded codecs x 8; ADPCM block bytes x 8
// x rate / samples per block, with IMA's samples (block - 4 x channels) x 2 / channels + 1 and MS's
// (block - 7 x channels) x 2 / channels + 2.
INSTANTIATE_TEST_SUITE_P(
    Codecs, ProbeWaveAvi,
    ::testing::Values(
        WaveAviCase{"pcm", "sine=frequency=660", "pcm_s16le", 22050, 2, true, 705600},
        // 8-bit PCM, as old cameras recorded it: unsigned samples widened to 16 bits.
        WaveAviCase{"pcm_u8", "sine=frequency=660", "pcm_u8", 11025, 1, true, 88200},
        WaveAviCase{"alaw", "sine=frequency=660", "pcm_alaw", 8000, 1, true, 64000},
        WaveAviCase{"mulaw", "sine=frequency=660", "pcm_mulaw", 11025, 2, false, 176400},
        // ffmpeg's default block of 1024 bytes.
        WaveAviCase{"ima", "sine=frequency=660", "adpcm_ima_wav", 22050, 2, true, 177614},
        WaveAviCase{"ms", "sine=frequency=660", "adpcm_ms", 44100, 2, false, 356983},
        WaveAviCase{"ima_noise_512", "anoisesrc=color=white:seed=7",
                    "adpcm_ima_wav -block_size 512", 22050, 2, true, 178845},
        WaveAviCase{"ima_silence_1024", "aevalsrc=0", "adpcm_ima_wav -block_size 1024", 22050, 1,
                    false, 88502},
        WaveAviCase{"ima_square_4096", "aevalsrc=0.9*sgn(sin(2*PI*50*t))",
                    "adpcm_ima_wav -block_size 4096", 22050, 1, false, 88275},
        WaveAviCase{"ms_square_512", "aevalsrc=0.9*sgn(sin(2*PI*50*t))", "adpcm_ms -block_size 512",
                    22050, 1, true, 89245},
        WaveAviCase{"ms_silence_1024", "aevalsrc=0", "adpcm_ms -block_size 1024", 22050, 2, false,
                    178491}),
    [](const auto& info) { return std::string(info.param.name); });

// A damaged or hostile ADPCM format record is refused with the player's message before anything
// is decoded with it: the audio is switched off, the video still plays.
TEST(ProbeCodecs, AnUnusableAdpcmFormatRecordIsRefused) {
  const std::string path = MakeTestMedia(
      "ima_record.avi",
      "-f lavfi -i testsrc=size=64x48:rate=10 -f lavfi -i sine=frequency=660:sample_rate=22050 "
      "-t 1 -c:v libxvid -vtag XVID -c:a adpcm_ima_wav");
  ASSERT_FALSE(path.empty());
  std::string file;
  ASSERT_TRUE(ReadWholeFile(path, &file));
  const size_t record = file.find("strf", file.find("auds")) + 8;
  ASSERT_LT(record + 20, file.size());
  const struct {
    const char* damage;
    size_t at;  // field offset in the record
    uint16_t value;
  } cases[] = {
      {"no channel", 2, 0},
      {"no block", 12, 0},
      {"a block no larger than its header", 12, 4},
      {"a block beyond an input buffer", 12, 8192},
      {"samples said to be 7-bit", 14, 7},
      {"extra bytes beyond the record", 16, 0xFFFF},
  };
  const std::string refusal =
      "error=Audio Error: This file contains an incompatible audio format!\\nThe codec cannot "
      "decode audio format 17 as the file describes it.";
  for (const auto& c : cases) {
    std::string damaged = file;
    damaged[record + c.at] = char(c.value & 0xFF);
    damaged[record + c.at + 1] = char(c.value >> 8);
    const std::string copy = path + ".damaged.avi";
    ASSERT_TRUE(WriteFileAtomic(copy, damaged.data(), damaged.size()));
    const ProbeRun audio = Probe("audio", copy, copy + ".wav");
    EXPECT_EQ(audio.status, 1) << c.damage;
    EXPECT_NE(audio.output.find(refusal), std::string::npos) << c.damage << "\n" << audio.output;
    EXPECT_FALSE(FileExists(copy + ".wav")) << c.damage;
    const ProbeRun video = Probe("video", copy, copy + ".y4m");
    EXPECT_EQ(video.status, 0) << c.damage << "\n" << video.output;
    EXPECT_NE(video.output.find("pictures=10\n"), std::string::npos) << c.damage;
  }
}

// PCM wider than 16 bits would play as noise through the pass-through: its audio is off with the
// player's message and the video plays. ffmpeg marks such streams "extensible" (a tag the
// registry has no decoder for); other writers give them tag 1, as the fixture's record then does.
TEST(ProbeCodecs, PcmWiderThanSixteenBitsIsRefused) {
  for (const std::string codec : {"pcm_s24le", "pcm_s32le"}) {
    const std::string made = MakeTestMedia(
        codec + ".avi",
        "-f lavfi -i testsrc=size=64x48:rate=10 -f lavfi -i sine=frequency=660:sample_rate=22050 "
        "-t 1 -c:v libxvid -vtag XVID -c:a " +
            codec);
    ASSERT_FALSE(made.empty()) << codec;
    std::string file;
    ASSERT_TRUE(ReadWholeFile(made, &file));
    const size_t record = file.find("strf", file.find("auds")) + 8;
    file[record] = 1;
    file[record + 1] = 0;
    const std::string path = made + ".tag1.avi";
    ASSERT_TRUE(WriteFileAtomic(path, file.data(), file.size()));
    const ProbeRun audio = Probe("audio", path, path + ".wav");
    EXPECT_EQ(audio.status, 1) << codec;
    EXPECT_NE(audio.output.find("error=Audio Error: This file contains an incompatible audio "
                                "format!\\nThe codec cannot decode audio format 1 as the file "
                                "describes it."),
              std::string::npos)
        << codec << "\n"
        << audio.output;
    const ProbeRun video = Probe("video", path, path + ".y4m");
    EXPECT_EQ(video.status, 0) << codec << "\n" << video.output;
    EXPECT_NE(video.output.find("pictures=10\n"), std::string::npos) << codec;
  }
}

TEST(ProbeCodecs, UnknownCodecsFailWithThePlayersMessage) {
  const std::string path =
      MakeTestMedia("probe_wmv.avi",
                    "-f lavfi -i testsrc=size=176x144:rate=25 -f lavfi -i sine=frequency=440 -t 1 "
                    "-c:v wmv2 -c:a wmav2");
  ASSERT_FALSE(path.empty());
  const ProbeRun video = Probe("video", path, path + ".y4m");
  EXPECT_NE(video.status, 0);
  EXPECT_NE(video.output.find("error=Video Error: This file contains an incompatible video "
                              "format!\\nMissing audio decoder for codec wmv2!"),
            std::string::npos)
      << video.output;
  EXPECT_FALSE(FileExists(path + ".y4m"));
  const ProbeRun audio = Probe("audio", path, path + ".wav");
  EXPECT_NE(audio.status, 0);
  EXPECT_NE(audio.output.find("error=Audio Error: This file contains an incompatible audio "
                              "format!\\nMissing audio decoder for 353!"),
            std::string::npos)
      << audio.output;
  EXPECT_FALSE(FileExists(path + ".wav"));
}

// A codec library cut short (the first 4 KiB of a real one) is reported as the player reports
// it, with the reason; a broken audio codec leaves the video playing.
TEST(ProbeCodecs, ABrokenCodecLibraryIsReportedAndTheOtherStreamStillPlays) {
  ASSERT_FALSE(XvidMp3Avi().empty());
  char home[] = "/tmp/morvelant-probe-home-XXXXXX";
  ASSERT_NE(mkdtemp(home), nullptr);
  std::string library;
  ASSERT_TRUE(ReadWholeFile(MORVELANT_DIST_DIR "/MorvelantMpegAudio.so", &library));
  const std::string cut = std::string(home) + "/Cut.so";
  ASSERT_TRUE(WriteFileAtomic(cut, library.data(), 4096));
  const auto useRegistry = [&](const char* table, const char* value) {
    const std::string text =
        std::string("REGEDIT4\n[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\") + table +
        "]\n\"" + value + "\"=\"" + cut + "\"\n";
    ASSERT_TRUE(WriteFileAtomic(std::string(home) + "/system.reg", text.data(), text.size()));
  };
  const std::string reason = "cannot be loaded:\\n" + cut + ": not a complete library";
  useRegistry("audio", "85");
  const ProbeRun audio = Probe("audio", XvidMp3Avi(), XvidMp3Avi() + ".cut.wav", home);
  EXPECT_EQ(audio.status, 1);
  EXPECT_NE(audio.output.find("error=Audio Error: The codec library " + cut + " " + reason),
            std::string::npos)
      << audio.output;
  const ProbeRun video = Probe("video", XvidMp3Avi(), XvidMp3Avi() + ".cut.y4m", home);
  EXPECT_EQ(video.status, 0) << video.output;
  EXPECT_NE(video.output.find("pictures=50"), std::string::npos) << video.output;
  useRegistry("video", "xvid");
  const ProbeRun noVideo = Probe("video", XvidMp3Avi(), XvidMp3Avi() + ".cut.y4m", home);
  EXPECT_EQ(noVideo.status, 1);
  EXPECT_NE(noVideo.output.find("error=Video Error: The codec library " + cut + " " + reason),
            std::string::npos)
      << noVideo.output;
}

}  // namespace
