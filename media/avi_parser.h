// The AVI container as the built-in reader understands it: the RIFF header, the header list
// (streams, codec, frame rate, picture size, audio format), the top-level chunks, the idx1
// index and the key-frame threshold. The header list and threshold are pure functions over
// bytes; the walk reads through an input library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "media/avi_index.h"
#include "morvelant/input_library.h"
#include "morvelant/reader_interface.h"

constexpr int32_t kRiffHeaderBytes = 12;
// True for "RIFF" at 0 and "AVI " at 8 in at least 12 bytes; the RIFF size is not checked.
bool IsAviHeader(const uint8_t* bytes, int32_t count);

// A chunk's data inside the header list copy.
struct HeaderListSpan {
  size_t offset = 0;
  size_t length = 0;  // 0 = none
};

// What the header list chose.
struct AviStreamChoice {
  int32_t videoStream = -1;  // stream numbers, -1 = none
  int32_t audioStream = -1;
  bool videoFrameRateUsable = false;  // the video stream's scale and rate are both nonzero
  // The OpenDML super indexes ("indx") of the chosen streams, as far as the copy holds them.
  HeaderListSpan videoSuperIndex, audioSuperIndex;
  // The chosen audio stream's format record (its strf data), as far as the copy holds it.
  HeaderListSpan audioFormat;
};

// Walks a copy of the hdrl list. The first "vids" stream sets FourCC, FramesPerSecond (left as
// it was when the scale is 0), FrameCount, and from its format Width and Height; the first
// "auds" stream sets AudioLength (the stream length) and from its format AudioFormatTag.
// Fields of chunks cut off by the end of the copy read as 0.
AviStreamChoice ParseHeaderList(const uint8_t* bytes, size_t length, MediaDescriptor* descriptor);

// Four times the video bytes per frame, estimated from the file length less 32 kbit/s of audio.
// 0 (every packet counts as a key frame) when the duration truncates to 0 seconds or the frame
// rate is not positive.
int32_t KeyFrameThreshold(double framesPerSecond, int32_t frameCount, int64_t fileLength);

// The input the walk reads through: the input library's read and seek.
struct AviInput {
  TarnicReadFunction Read;
  TarnicSeekFunction Seek;
};

// What the walk over the top-level chunks collects.
struct AviWalk {
  std::unique_ptr<uint8_t[]> headerList;  // the last hdrl list's body
  size_t headerListBytes = 0;
  int64_t moviPosition = 0;  // file offset just past the word "movi"
  AviIndex index;            // owned by the caller after the walk, even after a failure
};

// Checks the header and walks the chunks of the first RIFF part once, skipping movie data. Chunk
// headers are read a block at a time, so the work stays small per byte of junk; the walk stops
// at the end the RIFF size gives (at the end of the file when the size is 0). Where idx1 lists
// fewer video frames than the stream has (a file over 1 GB written as OpenDML indexes only its
// first part in idx1), the OpenDML index is read instead. False when the file is not an AVI
// file, a list type cannot be read, the header list cannot be copied, or an index table cannot
// be allocated. A short read at a chunk header or in idx1 ends that part.
bool WalkAviFile(const AviInput& input, AviWalk* walk);

// Reads at an absolute position through the input; 0 where 32-bit seeks cannot reach.
int32_t ReadAt(const AviInput& input, int64_t position, uint8_t* destination, int32_t count);
