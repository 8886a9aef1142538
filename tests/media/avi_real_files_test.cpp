// Real files from FFmpeg's and GStreamer's AVI muxers: what the built-in reader finds must agree
// with what ffprobe reports, and its packets and audio with what ffmpeg copies out of the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/media/test_files.h"

namespace {

std::string Run(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char chunk[65536];
  while (const size_t got = fread(chunk, 1, sizeof(chunk), pipe)) output.append(chunk, got);
  pclose(pipe);
  return output;
}

std::map<std::string, std::string> StreamFacts(const std::string& path, const char* stream) {
  std::map<std::string, std::string> facts;
  std::istringstream lines(Run(std::string("ffprobe -v error -select_streams ") + stream +
                               " -show_entries stream=nb_frames,r_frame_rate,width,height,"
                               "codec_tag -of default=nw=1 '" +
                               path + "'"));
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) facts[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return facts;
}

std::vector<int32_t> PacketSizes(const std::string& path, const char* stream) {
  std::vector<int32_t> sizes;
  std::istringstream lines(Run(std::string("ffprobe -v error -select_streams ") + stream +
                               " -show_entries packet=size -of csv=p=0 '" + path + "'"));
  for (int32_t size; lines >> size;) sizes.push_back(size);
  return sizes;
}

// The stream's packet bytes, end to end, as ffmpeg copies them out.
std::string StreamBytes(const std::string& path, const char* stream) {
  return Run("ffmpeg -nostdin -v error -i '" + path + "' -map 0:" + stream + " -c copy -f data -");
}

double Rate(const std::string& fraction) {
  const size_t slash = fraction.find('/');
  return std::stod(fraction.substr(0, slash)) / std::stod(fraction.substr(slash + 1));
}

std::string FourCC(const std::string& hexTag) {
  const uint32_t tag = static_cast<uint32_t>(std::stoul(hexTag, nullptr, 16));
  return std::string{char(tag), char(tag >> 8), char(tag >> 16), char(tag >> 24)};
}

class RealFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(RealFileTest, AgreesWithFfprobe) {
  const std::string path = std::string(MEDIA_FIXTURES) + "/" + GetParam();
  OpenedAvi avi = OpenAvi(path);
  ASSERT_EQ(avi.result, 1);
  const MediaDescriptor descriptor = *avi.descriptor;
  const ReadBack back = ReadEverything(avi);
  avi.ops.Close();

  const auto video = StreamFacts(path, "v:0");
  EXPECT_EQ(descriptor.FrameCount, std::stoi(video.at("nb_frames")));
  EXPECT_DOUBLE_EQ(descriptor.FramesPerSecond, Rate(video.at("r_frame_rate")));
  EXPECT_EQ(descriptor.Width, std::stoi(video.at("width")));
  EXPECT_EQ(descriptor.Height, std::stoi(video.at("height")));
  EXPECT_EQ(std::string(descriptor.FourCC), FourCC(video.at("codec_tag")));

  // ffprobe leaves out the empty chunks that stand for dropped frames.
  std::vector<int32_t> sizes;
  for (const int32_t size : back.packetSizes)
    if (size > 0) sizes.push_back(size);
  EXPECT_EQ(sizes, PacketSizes(path, "v:0"));
  EXPECT_TRUE(back.video == StreamBytes(path, "v:0"));

  const auto audio = StreamFacts(path, "a:0");
  if (audio.empty()) {
    EXPECT_EQ(descriptor.AudioLength, 0);
    return;
  }
  EXPECT_EQ(descriptor.AudioFormatTag, std::stoi(audio.at("codec_tag"), nullptr, 16));
  int64_t audioBytes = 0;
  for (const int32_t size : PacketSizes(path, "a:0")) audioBytes += size;
  EXPECT_EQ(descriptor.AudioLength, audioBytes);
  EXPECT_TRUE(back.audio == StreamBytes(path, "a:0"));
}

INSTANTIATE_TEST_SUITE_P(Muxers, RealFileTest,
                         ::testing::Values("ffmpeg_xvid_mp3.avi", "ffmpeg_dx50_pcm.avi",
                                           "ffmpeg_div3_silent.avi", "ffmpeg_mpeg1_mp2.avi",
                                           "ffmpeg_two_audio.avi", "gstreamer_xvid_mp3.avi",
                                           "gstreamer_div3_pcm.avi"),
                         [](const auto& info) {
                           std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

}  // namespace
