// The streaming AVI reader reads the movi list in file order: a file whose idx1 is lost plays
// whole, one cut short (still downloading) plays what is there, and the audio it hands out is
// the built-in reader's byte for byte. A network AVI reaches it through the reader selection.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "tests/readers/http_test_server.h"
#include "tests/readers/reader_fixture.h"

namespace {

constexpr char kStreamingAviReader[] = "plenvar.so";
constexpr int32_t kPacketBufferBytes = 128000;

struct Streams {
  int64_t videoPackets = 0, audioBytes = 0;
  uint64_t audioHash = 14695981039346656037ull;  // FNV-1a, as the probe prints it
};

Streams ReadStreams(const std::string& path, bool* opened) {
  Streams streams;
  LoadedReader reader(kStreamingAviReader);
  *opened = reader.Open(path);
  if (!*opened) return streams;
  const MediaDescriptor& d = *reader.descriptor;
  std::vector<uint8_t> buffer(kPacketBufferBytes);
  while (d.CurrentFrame < d.FrameCount) {
    const int32_t size = reader.ops.ReadVideoFrame(buffer.data(), 0);
    if (size < 0) break;
    streams.videoPackets += size > 0;
  }
  for (int32_t got; (got = reader.ops.ReadAudio(buffer.data(), 4096)) > 0;) {
    streams.audioBytes += got;
    for (int32_t i = 0; i < got; ++i)
      streams.audioHash = (streams.audioHash ^ buffer[size_t(i)]) * 1099511628211ull;
  }
  return streams;
}

std::string HexHash(uint64_t hash) {
  char text[17];
  std::snprintf(text, sizeof text, "%016" PRIx64, hash);
  return text;
}

TEST(StreamingAviReader, PlaysTheMoviListInOrderWithoutTheIndex) {
  const std::string whole = ReadBytes(ReaderMedia("xvid_mp3.avi"));
  const ProbeRun builtIn = Probe("packets", ReaderMedia("xvid_mp3.avi"));
  ASSERT_EQ(builtIn.status, 0) << builtIn.output;
  const int64_t packets = std::atoll(ProbeValue(builtIn.output, "video_packets").c_str());
  const size_t index = whole.rfind("idx1");
  ASSERT_NE(index, std::string::npos);
  const struct {
    const char* name;
    std::string bytes;
    bool complete;
  } cases[] = {
      {"whole.avi", whole, true},
      {"index lost.avi", whole.substr(0, index), true},
      {"still downloading.avi", whole.substr(0, whole.size() / 2), false},
  };
  for (const auto& c : cases) {
    bool opened = false;
    const Streams streams = ReadStreams(WriteTemporaryFile(c.name, c.bytes), &opened);
    ASSERT_TRUE(opened) << c.name;
    if (c.complete) {
      EXPECT_EQ(streams.videoPackets, packets) << c.name;
      EXPECT_EQ(std::to_string(streams.audioBytes), ProbeValue(builtIn.output, "audio_bytes"))
          << c.name;
      EXPECT_EQ(HexHash(streams.audioHash), ProbeValue(builtIn.output, "audio_hash")) << c.name;
    } else {
      EXPECT_GT(streams.videoPackets, packets / 4) << c.name;
      EXPECT_LT(streams.videoPackets, packets) << c.name;
    }
  }
}

TEST(StreamingAviReader, NetworkAvisAreSelectedForIt) {
  const std::string avi = ReadBytes(ReaderMedia("xvid_mp3.avi"));
  TestHttpServer server([&](const HttpRequest&, int socket, TestHttpServer&) {
    SendBytes(socket, "HTTP/1.0 200 OK\r\nContent-Type: video/x-msvideo\r\nContent-Length: " +
                          std::to_string(avi.size()) + "\r\nConnection: close\r\n\r\n" + avi);
  });
  ASSERT_GT(server.port, 0);
  const ProbeRun run = Probe("info", server.Url("/clip.avi"));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(ProbeValue(run.output, "fourcc"), "FMP4");
  EXPECT_EQ(ProbeValue(run.output, "width"), "176");
  EXPECT_EQ(ProbeValue(run.output, "audio_tag"), "85");
}

}  // namespace
