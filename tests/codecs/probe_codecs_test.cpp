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
