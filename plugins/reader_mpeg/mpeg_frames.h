// Finding MPEG audio frames in file bytes: the first frame past the ID3v2 tags, and the frame
// boundary nearest after an offset that a seek computed.
#pragma once

#include <cstdint>
#include <cstdio>

#include "plugins/audio_mpg123/mpeg_audio_header.h"

// Bytes searched for a frame before giving up: enough for a stream that starts with junk.
constexpr int64_t kFrameSearchBytes = 256 * 1024;

// The offset of the first frame of the stream in `file` (two consecutive headers that agree)
// past any ID3v2 tags, with its header; -1 when there is none within kFrameSearchBytes.
int64_t FindFirstFrame(std::FILE* file, int64_t fileSize, MpegFrameHeader* header);
// The first frame boundary at or after `offset` whose header shares `fixedBits` and is followed
// by another such header (or ends the file); `offset` itself when none is found.
int64_t AlignToFrame(std::FILE* file, int64_t fileSize, int64_t offset, uint32_t fixedBits);
// Reads up to `count` bytes at `offset`; the number read.
size_t ReadAt(std::FILE* file, int64_t offset, uint8_t* destination, size_t count);
