// Media for the codec plug-in tests, made with ffmpeg at test time, and libavformat's view of
// it: the packets of a stream exactly as a reader would hand them over.
#pragma once

#include <mpg123.h>

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/audio_decode_harness.h"

extern "C" {
#include <libavcodec/codec_par.h>
}

// Runs `ffmpeg -y <inputArgs> <path>` once per test run into the build's test media folder
// and returns the file's path ("" when ffmpeg failed).
std::string MakeTestMedia(const std::string& fileName, const std::string& ffmpegArgs);

struct DemuxedStream {
  AVCodecParameters* parameters = nullptr;  // owned; freed with the stream
  std::vector<std::vector<uint8_t>> packets;
  ~DemuxedStream();
};
// The packets of the first stream of `type` (AVMEDIA_TYPE_VIDEO or _AUDIO) in file order.
bool DemuxStream(const std::string& path, int mediaType, DemuxedStream* stream);
// The same packets glued together: the byte stream a reader's ReadAudio delivers.
std::vector<uint8_t> JoinPackets(const DemuxedStream& stream);

// Hands out `size` bytes from `data` in the pieces asked for, as a reader's ReadAudio does.
// The bytes must outlive the source.
AudioByteSource ByteSourceOver(const uint8_t* data, size_t size);
// Everything an opened (or fed) libmpg123 handle decodes, as 16-bit PCM; deletes the handle.
std::vector<uint8_t> DrainMpg123(mpg123_handle* handle);
