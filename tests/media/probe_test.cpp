// morvelant-probe as a user runs it from build/dist.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/media/test_files.h"
#include "tests/support/avi_writer.h"

namespace {

struct ProbeRun {
  std::string output;
  int status = -1;
};

ProbeRun Probe(const std::string& command, const std::string& file) {
  ProbeRun run;
  FILE* pipe = popen(
      (std::string(MORVELANT_DIST_DIR) + "/morvelant-probe " + command + " '" + file + "' 2>&1")
          .c_str(),
      "r");
  char chunk[4096];
  while (const size_t got = fread(chunk, 1, sizeof(chunk), pipe)) run.output.append(chunk, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

uint64_t Fnv(const std::string& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string Hex(uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(value));
  return text;
}

TEST(ProbeTest, InfoPrintsTheDescriptor) {
  AviLayout layout = InterleavedAvi(50, 10, 100, 300);
  layout.streams[0] = VideoStream("DX50", 50, 30000, 1001);
  const std::string bytes = BuildAvi(layout).bytes;
  const ProbeRun run = Probe("info", WriteTempFile("probe.avi", bytes));
  EXPECT_EQ(run.status, 0);
  // 1.67 s: one second, less 4000 bytes of audio, four times a frame's share.
  const int threshold = int((int64_t(bytes.size()) - 4000) * (1001 / 30000.0) * 4);
  EXPECT_EQ(run.output,
            "frames=50\nfps=29.970030\nwidth=176\nheight=144\nfourcc=DX50\naudio_tag=85\n"
            "audio_length=15000\nchannels=2\nsample_rate=44100\nkeyframe_threshold=" +
                std::to_string(threshold) + "\nchapters=0\nfree_running=0\n");
}

TEST(ProbeTest, PacketsReadsAndHashesEverything) {
  AviLayout layout = InterleavedAvi(50, 10, 0, 0);
  layout.streams.push_back(AudioStream(1, 0));
  layout.chunks.clear();
  std::string video, audio;
  for (int frame = 0; frame < 50; ++frame) {
    // Frame 5 is large enough to count as a key frame without its flag; frame 7 is empty.
    const uint32_t size = frame == 5 ? 20000 : frame == 7 ? 0 : 10;
    layout.chunks.push_back({.id = "00dc", .size = size, .key = frame % 10 == 0});
    video += ChunkPayload(layout.chunks.size() - 1, size);
    if (frame % 20 == 0) {
      layout.chunks.push_back({.id = "01wb", .size = 5000});
      audio += ChunkPayload(layout.chunks.size() - 1, 5000);
    }
  }
  const ProbeRun run = Probe("packets", WriteTempFile("probe.avi", BuildAvi(layout).bytes));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output,
            "video_packets=49\nvideo_bytes=20480\nkey_frames=6\naudio_bytes=15000\n"
            "video_hash=" +
                Hex(Fnv(video)) + "\naudio_hash=" + Hex(Fnv(audio)) + "\n");
}

TEST(ProbeTest, RefusalsPrintThePlayersMessage) {
  const ProbeRun unknown = Probe("info", WriteTempFile("song.xyz", "data"));
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.output, "error=File Error: This file is of an unknown format\n");
  const ProbeRun broken = Probe("packets", WriteTempFile("broken.avi", "RIFF....WAVE"));
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.output,
            "error=Load Error: Failed to load file, Please check available memory.\n");
}

}  // namespace
