// MPEG audio frame headers and the ID3v2 tags in front of them, read from raw stream bytes: where
// the first frame of a stream starts and what it says about the stream.
#pragma once

#include <cstddef>
#include <cstdint>

struct MpegFrameHeader {
  int32_t sampleRate = 0;       // Hz
  int32_t channels = 0;         // 1 or 2
  int32_t bitrate = 0;          // bits per second of this frame
  int32_t frameBytes = 0;       // the whole frame, header included
  int32_t samplesPerFrame = 0;  // per channel
  int32_t sideInfoBytes = 0;    // layer III side information after the header
  uint32_t fixedBits = 0;       // version, layer and rate bits every frame of the stream shares
};

constexpr size_t kMpegHeaderBytes = 4;
constexpr size_t kId3HeaderBytes = 10;

// False for bytes that are not a decodable frame header (free format included).
bool ParseMpegFrameHeader(const uint8_t* bytes, MpegFrameHeader* header);
// The bytes of the ID3v2 tag starting at `bytes` (header and footer included), 0 when there is
// none. Needs kId3HeaderBytes bytes.
size_t Id3v2TagBytes(const uint8_t* bytes);
// The stream's average bit rate from a Xing or Info header in this first frame, else the
// frame's own bit rate. `available` bytes of the frame are in memory.
int32_t AverageBitrate(const uint8_t* frame, size_t available, const MpegFrameHeader& header);
