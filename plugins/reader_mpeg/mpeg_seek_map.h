// Where in an MPEG audio file a moment of its playing time lies, and back: a piecewise-linear
// map between the fraction of the playing time and the byte offset, built from the Xing or VBRI
// table of the first frame when there is one (so VBR files seek to the right time), else the
// straight line of a constant bit rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugins/audio_mpg123/mpeg_audio_header.h"

struct SeekPoint {
  double time;     // fraction of the playing time, 0 to 1
  int64_t offset;  // absolute byte offset in the file
};

// Points in rising time and offset, the first at the first frame, the last at the end.
using SeekMap = std::vector<SeekPoint>;

// The map of a stream whose first frame (parsed as `header`) starts at `firstFrame`, of which
// `available` bytes are at `frame`; `fileSize` is the whole file's size.
SeekMap BuildSeekMap(const uint8_t* frame, size_t available, const MpegFrameHeader& header,
                     int64_t firstFrame, int64_t fileSize);
// The byte offset of the time fraction `time`, and the time fraction of the byte `offset`.
int64_t OffsetAtTime(const SeekMap& map, double time);
double TimeAtOffset(const SeekMap& map, int64_t offset);
