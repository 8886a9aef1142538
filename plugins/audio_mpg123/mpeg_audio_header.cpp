#include "plugins/audio_mpg123/mpeg_audio_header.h"

#include <climits>
#include <cstring>

namespace {

constexpr int kVersion1 = 3, kVersion2 = 2;  // the header's version bits (0 = MPEG-2.5)
constexpr int kLayer1 = 3, kLayer3 = 1;      // the header's layer bits (2 = layer II)
constexpr int kMono = 3;                     // channel mode bits

// kbit/s by [MPEG-1 ? 0 : 1][layer 1..3 - 1][index]; index 0 (free) and 15 are refused.
constexpr int kBitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
constexpr int kMpeg1Rates[3] = {44100, 48000, 32000};
constexpr uint32_t kFixedBitsMask = 0xFFFE0C00;  // sync, version, layer, rate
constexpr uint32_t kXingHasFrames = 1, kXingHasBytes = 2;

uint32_t BigEndian32(const uint8_t* bytes) {
  return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

int SamplesPerFrame(int version, int layer) {
  if (layer == kLayer1) return 384;
  return layer == kLayer3 && version != kVersion1 ? 576 : 1152;
}

}  // namespace

bool ParseMpegFrameHeader(const uint8_t* bytes, MpegFrameHeader* header) {
  const uint32_t word = BigEndian32(bytes);
  const int version = (word >> 19) & 3, layer = (word >> 17) & 3;
  const int bitrateIndex = (word >> 12) & 15, rateIndex = (word >> 10) & 3;
  if ((word >> 21) != 0x7FF || version == 1 || layer == 0 || rateIndex == 3) return false;
  const int kbps = kBitrates[version == kVersion1 ? 0 : 1][3 - layer][bitrateIndex];
  if (kbps == 0) return false;
  const int shift = version == kVersion1 ? 0 : version == kVersion2 ? 1 : 2;
  header->sampleRate = kMpeg1Rates[rateIndex] >> shift;
  header->channels = ((word >> 6) & 3) == kMono ? 1 : 2;
  header->bitrate = kbps * 1000;
  header->samplesPerFrame = SamplesPerFrame(version, layer);
  const int padding = (word >> 9) & 1;
  header->frameBytes =
      layer == kLayer1
          ? (12 * header->bitrate / header->sampleRate + padding) * 4
          : header->samplesPerFrame / 8 * header->bitrate / header->sampleRate + padding;
  const bool mono = header->channels == 1;
  header->sideInfoBytes = layer != kLayer3       ? 0
                          : version == kVersion1 ? (mono ? 17 : 32)
                                                 : (mono ? 9 : 17);
  header->fixedBits = word & kFixedBitsMask;
  return true;
}

size_t Id3v2TagBytes(const uint8_t* bytes) {
  if (std::memcmp(bytes, "ID3", 3) != 0 || bytes[3] == 0xFF || bytes[4] == 0xFF) return 0;
  size_t size = 0;
  for (int i = 6; i < 10; ++i) {
    if (bytes[i] & 0x80) return 0;
    size = size << 7 | bytes[i];
  }
  const bool footer = bytes[5] & 0x10;
  return kId3HeaderBytes + size + (footer ? kId3HeaderBytes : 0);
}

int32_t AverageBitrate(const uint8_t* frame, size_t available, const MpegFrameHeader& header) {
  const size_t tag = kMpegHeaderBytes + header.sideInfoBytes;
  if (header.sideInfoBytes == 0 || available < tag + 16) return header.bitrate;
  const uint8_t* xing = frame + tag;
  if (std::memcmp(xing, "Xing", 4) != 0 && std::memcmp(xing, "Info", 4) != 0) return header.bitrate;
  const uint32_t flags = BigEndian32(xing + 4);
  if ((flags & (kXingHasFrames | kXingHasBytes)) != (kXingHasFrames | kXingHasBytes))
    return header.bitrate;
  const int64_t frames = BigEndian32(xing + 8), bytes = BigEndian32(xing + 12);
  if (frames == 0) return header.bitrate;
  const int64_t average = bytes * 8 * header.sampleRate / (frames * header.samplesPerFrame);
  // A header promising more than 32 bits of bit rate is damage: the frame's own rate stands.
  return average > 0 && average <= INT32_MAX ? int32_t(average) : header.bitrate;
}
