// The broadcast reader receives a live MPEG transport stream over UDP from the address the
// registry names: video packets and audio arrive, the item runs free of the audio clock, and
// when the sender stops the reads end within the silence limit (a watchdog fails a hang).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <thread>

#include "tests/readers/reader_fixture.h"

namespace {

constexpr char kBroadcastReader[] = "Dremmet.so";
constexpr size_t kDatagramBytes = 7 * 188;  // seven transport packets, as broadcasters send
constexpr int32_t kPacketBufferBytes = 128000;

int FreeUdpPort() {
  const int probe = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  close(probe);
  return ntohs(address.sin_port);
}

// Sends the transport stream to 127.0.0.1:port in real time, over and over, until stopped.
void Broadcast(int port, const std::string& stream, const std::atomic<bool>& stop) {
  const int sender = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(uint16_t(port));
  target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const auto pause = std::chrono::microseconds(4000000 * kDatagramBytes / stream.size());
  while (!stop) {
    for (size_t at = 0; at < stream.size() && !stop; at += kDatagramBytes) {
      sendto(sender, stream.data() + at, std::min(kDatagramBytes, stream.size() - at), 0,
             reinterpret_cast<sockaddr*>(&target), sizeof target);
      std::this_thread::sleep_for(pause);
    }
  }
  close(sender);
}

TEST(BroadcastReader, ReceivesALiveTransportStreamAndEndsWhenItStops) {
  const int port = FreeUdpPort();
  const std::string home = WriteTemporaryFile("broadcast-home", "");
  std::remove(home.c_str());
  ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
  std::ofstream(home + "/system.reg")
      << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\software\\Morvelant\\plugins\\broadcast]\n"
         "\"Address\"=\"udp://127.0.0.1:"
      << port << "\"\n";
  setenv("MORVELANT_HOME", home.c_str(), 1);
  std::atomic<bool> stop{false};
  std::thread sender(Broadcast, port, ReadBytes(ReaderMedia("h264_ac3.ts")), std::cref(stop));
  auto received = std::async(std::launch::async, [&] {
    LoadedReader reader(kBroadcastReader);
    std::pair<int, int64_t> counts{-1, 0};
    if (!reader.Open("Broadcast", READER_MODE_URL)) return counts;
    const MediaDescriptor& d = *reader.descriptor;
    EXPECT_EQ(d.FreeRunning, 1);
    EXPECT_EQ(std::string(d.FourCC, 4), "H264");
    EXPECT_EQ(d.AudioFormatTag, 8192);
    std::vector<uint8_t> buffer(kPacketBufferBytes);
    counts.first = 0;
    while (counts.first < 150 && reader.ops.ReadVideoFrame(buffer.data(), 0) >= 0)
      counts.first += 1;
    counts.second = reader.ops.ReadAudio(buffer.data(), 4096);
    stop = true;  // the station goes off the air: the reads must end
    while (reader.ops.ReadVideoFrame(buffer.data(), 0) >= 0) {
    }
    return counts;
  });
  const bool ended = received.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
  stop = true;
  sender.join();
  if (!ended) {
    ADD_FAILURE() << "the broadcast reader hung";
    std::abort();
  }
  unsetenv("MORVELANT_HOME");
  const auto [slots, audio] = received.get();
  EXPECT_EQ(slots, 150) << "video frame slots read while the stream ran";
  EXPECT_EQ(audio, 4096);
}

}  // namespace
