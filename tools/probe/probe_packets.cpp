// morvelant-probe packets FILE: every video packet and all audio, read as playback reads them.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "media/reader_state.h"
#include "tools/probe/probe.h"

namespace {

// The audio thread's largest request.
constexpr int32_t kAudioRequestBytes = 4096;

struct VideoTotals {
  int64_t packets = 0, bytes = 0, keyFrames = 0;
  uint64_t hash = kFnvOffsetBasis;
};

// A packet counts as a key frame as the video thread decides it: larger than the threshold, or
// else by asking the reader about the frame just delivered.
bool IsKeyPacket(int32_t size, const MediaDescriptor& d) {
  return size > d.KeyFrameThreshold || readerOps.IsKeyFrame(d.CurrentFrame - 1);
}

VideoTotals ReadVideo(const MediaDescriptor& d) {
  VideoTotals totals;
  std::vector<uint8_t> packet(kPacketBufferBytes);
  while (d.CurrentFrame < d.FrameCount) {
    const int32_t size = readerOps.ReadVideoFrame(packet.data(), 0);
    if (size < 0) break;
    if (size == 0) continue;
    ++totals.packets;
    totals.bytes += size;
    totals.keyFrames += IsKeyPacket(size, d);
    totals.hash = Fnv1a64(totals.hash, packet.data(), static_cast<size_t>(size));
  }
  return totals;
}

}  // namespace

int ProbePackets(const std::string& path) {
  if (!ProbeOpen(path)) return 1;
  const MediaDescriptor& d = ProbeDescriptor();
  const VideoTotals video = ReadVideo(d);
  int64_t audioBytes = 0;
  uint64_t audioHash = kFnvOffsetBasis;
  std::vector<uint8_t> audio(kAudioRequestBytes);
  while (d.AudioLength > 0) {
    const int32_t got = readerOps.ReadAudio(audio.data(), kAudioRequestBytes);
    if (got <= 0) break;
    audioBytes += got;
    audioHash = Fnv1a64(audioHash, audio.data(), static_cast<size_t>(got));
  }
  std::printf("video_packets=%" PRId64 "\nvideo_bytes=%" PRId64 "\nkey_frames=%" PRId64 "\n",
              video.packets, video.bytes, video.keyFrames);
  std::printf("audio_bytes=%" PRId64 "\n", audioBytes);
  std::printf("video_hash=%016" PRIx64 "\naudio_hash=%016" PRIx64 "\n", video.hash, audioHash);
  ProbeClose();
  return 0;
}
