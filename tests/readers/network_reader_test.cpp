// The network reader against a local HTTP server: a file, a redirect, a 404, an ICY radio
// stream whose titles change and which drops (one reconnection), a file whose connection drops
// halfway (resumed where it broke off), a server that stalls and one that sends no audio. Every
// case runs under a watchdog: a reader that hangs fails the test instead of blocking it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include "plugins/audio_mpg123/mpeg_audio_header.h"
#include "tests/e2e/player_process.h"
#include "tests/readers/http_test_server.h"
#include "tests/readers/reader_fixture.h"

namespace {

constexpr char kNetworkReader[] = "quellin.so";
constexpr size_t kMetaInterval = 8192;
constexpr auto kWatchdog = std::chrono::seconds(40);

const std::string& Song() {
  static const std::string bytes = ReadBytes(ReaderMedia("cbr.mp3"));
  return bytes;
}

std::string Head(const std::string& status, const std::string& fields) {
  return "HTTP/1.0 " + status + "\r\n" + fields + "Connection: close\r\n\r\n";
}

std::string MetadataBlock(const std::string& title) {
  std::string text = "StreamTitle='" + title + "';";
  text.resize((text.size() + 15) / 16 * 16, '\0');
  return char(text.size() / 16) + text;
}

// The song's frames (without its own tags) as a radio station sends them: a metadata block
// after every kMetaInterval bytes, the title changing after the second block.
std::string RadioStream() {
  const std::string frames =
      Song().substr(Id3v2TagBytes(reinterpret_cast<const uint8_t*>(Song().data())));
  std::string stream;
  for (size_t at = 0, block = 0; at < frames.size(); at += kMetaInterval, ++block) {
    stream += frames.substr(at, kMetaInterval);
    if (at + kMetaInterval < frames.size())
      stream += MetadataBlock(block < 2 ? "Radio Band - Night Song" : "Radio Band - Dawn");
  }
  return stream;
}

// A file as a web server sends it: whole, or from the asked byte on.
void SendMediaFile(const HttpRequest& request, int socket, const std::string& file) {
  const std::string ranges = "Accept-Ranges: bytes\r\n";
  const size_t range = request.headers.find("range: bytes=");
  const size_t from = range == std::string::npos
                          ? 0
                          : std::strtoul(request.headers.c_str() + range + 13, nullptr, 10);
  if (from == 0) {
    SendBytes(
        socket,
        Head("200 OK", ranges + "Content-Length: " + std::to_string(file.size()) + "\r\n") + file);
    return;
  }
  const std::string span = "bytes " + std::to_string(from) + "-" + std::to_string(file.size() - 1) +
                           "/" + std::to_string(file.size());
  SendBytes(socket, Head("206 Partial Content",
                         ranges + "Content-Range: " + span + "\r\nContent-Length: " +
                             std::to_string(file.size() - std::min(from, file.size())) + "\r\n") +
                        file.substr(std::min(from, file.size())));
}

void Handle(const HttpRequest& request, int socket, TestHttpServer& server) {
  const std::string audio = "Content-Type: audio/mpeg\r\n";
  const std::string length = "Content-Length: " + std::to_string(Song().size()) + "\r\n";
  if (request.path == "/song.mp3") {
    SendBytes(socket, Head("200 OK", audio + length) + Song());
  } else if (request.path == "/moved") {
    SendBytes(socket, Head("302 Found", "Location: /song.mp3\r\n"));
  } else if (request.path == "/radio") {
    SendBytes(socket,
              Head("200 OK", audio + "icy-metaint: " + std::to_string(kMetaInterval) + "\r\n") +
                  RadioStream());
  } else if (request.path == "/drop") {
    const size_t range = request.headers.find("range: bytes=");
    if (range == std::string::npos) {
      SendBytes(socket, Head("200 OK", audio + length) + Song().substr(0, Song().size() / 2));
    } else {
      const size_t from = std::strtoul(request.headers.c_str() + range + 13, nullptr, 10);
      SendBytes(socket, Head("206 Partial Content", audio) + Song().substr(from));
    }
  } else if (request.path == "/stall") {
    SendBytes(socket, Head("200 OK", audio) + Song().substr(0, 3 * kMetaInterval));
    while (!server.stopping) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } else if (request.path.rfind("/media/", 0) == 0) {
    SendMediaFile(request, socket, ReadBytes(ReaderMedia(request.path.substr(7))));
  } else if (request.path.rfind("/stalled/", 0) == 0) {
    const std::string file = ReadBytes(ReaderMedia(request.path.substr(9)));
    SendBytes(socket, Head("200 OK", "Content-Length: " + std::to_string(file.size()) + "\r\n") +
                          file.substr(0, file.size() / 2));
    while (!server.stopping) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } else if (request.path == "/page") {
    SendBytes(socket, Head("200 OK", "Content-Type: text/html\r\n") + std::string(20000, '<'));
  } else {
    SendBytes(socket, Head("404 Not Found", ""));
  }
}

struct Outcome {
  bool opened = false;
  std::string audio;
};

Outcome ReadWhole(const std::string& url) {
  Outcome outcome;
  LoadedReader reader(kNetworkReader);
  outcome.opened = reader.Open(url, READER_MODE_URL);
  uint8_t chunk[4096];
  for (int32_t got; outcome.opened && (got = reader.ops.ReadAudio(chunk, sizeof chunk)) > 0;)
    outcome.audio.append(reinterpret_cast<char*>(chunk), size_t(got));
  return outcome;
}

// Runs `body` on a thread of its own; a case that outlives the watchdog ends the test run.
template <typename Body>
auto UnderWatchdog(const std::string& name, Body body) {
  auto result = std::async(std::launch::async, body);
  if (result.wait_for(kWatchdog) != std::future_status::ready) {
    ADD_FAILURE() << name << " hung";
    std::fprintf(stderr, "watchdog: %s hung\n", name.c_str());
    std::abort();
  }
  return result.get();
}

TEST(NetworkReader, EachServerGivesTheRightAudioOrEndsInTime) {
  TestHttpServer server(Handle);
  ASSERT_GT(server.port, 0);
  const struct {
    const char* path;
    bool opens;
    std::string audio;  // the exact audio bytes, or empty when only the amount is checked
    size_t minBytes, maxBytes;
    int requests;
  } cases[] = {
      {"/song.mp3", true, Song(), 0, 0, 1},
      {"/moved", true, Song(), 0, 0, 2},
      {"/drop", true, Song(), 0, 0, 2},  // resumed with a range request
      {"/stall", true, "", 3 * kMetaInterval, 3 * kMetaInterval, 2},  // one reconnection
      {"/missing", false, "", 0, 0, 1},
      {"/page", false, "", 0, 0, 1},
  };
  for (const auto& c : cases) {
    const int before = server.requests;
    const auto start = std::chrono::steady_clock::now();
    const Outcome outcome = UnderWatchdog(c.path, [&] { return ReadWhole(server.Url(c.path)); });
    EXPECT_EQ(outcome.opened, c.opens) << c.path;
    if (!c.audio.empty()) {
      EXPECT_TRUE(outcome.audio == c.audio) << c.path;
    } else {
      EXPECT_GE(outcome.audio.size(), c.minBytes) << c.path;
      EXPECT_LE(outcome.audio.size(), c.maxBytes * 2) << c.path;
    }
    EXPECT_EQ(server.requests - before, c.requests) << c.path;
    RecordProperty(
        std::string(c.path) + "_seconds",
        std::to_string(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()));
  }
}

TEST(NetworkReader, RadioTitlesReachTheTagsAndTheProbe) {
  TestHttpServer server(Handle);
  ASSERT_GT(server.port, 0);
  const std::string wave = WriteTemporaryFile("radio.wav", "");
  const ProbeRun run =
      UnderWatchdog("probe audio", [&] { return Probe("audio", server.Url("/radio"), wave); });
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(ProbeValue(run.output, "title"), "Night Song");
  EXPECT_EQ(ProbeValue(run.output, "artist"), "Radio Band");
  // The station dropped once: the reconnection plays the stream again, titles and all.
  EXPECT_NE(run.output.find("album=\nstream_title=Radio Band - Night Song\n"
                            "stream_title=Radio Band - Dawn\nstream_title=Radio Band - Night Song\n"
                            "stream_title=Radio Band - Dawn\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(server.requests, 2);
  // Twice the song, decoded: the metadata never reached the decoder.
  const std::vector<int16_t> samples = WaveSamples(wave);
  const std::vector<int16_t> once = FfmpegSamples(ReaderMedia("cbr.mp3"));
  EXPECT_NEAR(double(samples.size()), 2.0 * double(once.size()), 4608);
}

// Containers named by an http address go to the general reader, which reads them through
// libavformat's own HTTP client: every packet arrives as from the file, and a server that stalls
// halfway ends the item within the reader's five-second limit instead of hanging it.
TEST(NetworkReader, ContainersOverHttpReadAsTheirFilesDo) {
  TestHttpServer server(Handle);
  ASSERT_GT(server.port, 0);
  for (const char* name : {"h264_aac.mp4", "hevc_opus.mkv", "vp9_vorbis.webm", "mpeg2_mp2.mpg"}) {
    const ProbeRun local = Probe("packets", ReaderMedia(name));
    const ProbeRun remote =
        UnderWatchdog(name, [&] { return Probe("packets", server.Url("/media/") + name); });
    ASSERT_EQ(local.status, 0) << local.output;
    EXPECT_EQ(remote.status, 0) << name << remote.output;
    EXPECT_EQ(remote.output, local.output) << name;
  }
  const auto start = std::chrono::steady_clock::now();
  const ProbeRun stalled = UnderWatchdog(
      "stalled", [&] { return Probe("packets", server.Url("/stalled/h264_aac.mp4")); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_LT(std::atoi(ProbeValue(stalled.output, "video_packets").c_str()), 200) << stalled.output;
}

// In the whole player, the info line follows the station's titles as the audio passes them, and
// shows no running time for a live stream.
TEST(NetworkReader, RadioTitlesFollowInThePlayersInfoLine) {
  TestHttpServer server(Handle);
  ASSERT_GT(server.port, 0);
  const std::string script = WriteTemporaryFile("radio-script.txt", "wait 4000\nquit\n");
  const std::string home = std::filesystem::path(script).parent_path() / "radio-home";
  std::filesystem::create_directories(home);
  PlayerProcess player =
      StartPlayer(home, home + "/journal.jsonl", {"--script=" + script, server.Url("/radio")});
  EXPECT_EQ(WaitForExit(player), 0);
  const std::string journal = ReadBytes(player.journal);
  // The first line names the address; a later one the title the station sent after its first.
  const size_t first = journal.find("\"event\":\"info\",\"text\":\" " + server.Url("/radio"));
  ASSERT_NE(first, std::string::npos) << journal;
  EXPECT_NE(journal.find("\"event\":\"info\",\"text\":\" Radio Band - Dawn \"", first),
            std::string::npos)
      << journal;
}

TEST(NetworkReader, ProbeInfoOnANetworkItem) {
  TestHttpServer server(Handle);
  ASSERT_GT(server.port, 0);
  const ProbeRun run =
      UnderWatchdog("probe info", [&] { return Probe("info", server.Url("/song.mp3")); });
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(ProbeValue(run.output, "audio_tag"), "85");
  EXPECT_EQ(ProbeValue(run.output, "audio_length"), std::to_string(Song().size()));
  EXPECT_EQ(ProbeValue(run.output, "sample_rate"), "44100");
  const ProbeRun missing =
      UnderWatchdog("probe 404", [&] { return Probe("info", server.Url("/gone")); });
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("error=Load Error"), std::string::npos) << missing.output;
}

}  // namespace
