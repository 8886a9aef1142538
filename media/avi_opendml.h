// OpenDML (AVI 2.0) indexes. A file over 1 GB is written in RIFF parts ("RIFF AVI " and then
// "RIFF AVIX"); its idx1, when there is one, lists only the first part. Each stream's header
// list then holds a super index ("indx") naming standard index chunks ("ix00", "ix01", ...)
// anywhere in the file, each listing up to thousands of that stream's chunks of one part.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/avi_index.h"
#include "media/avi_parser.h"

// Replaces a stream's idx1 entries by its OpenDML entries where idx1 covers less of it: the
// video when idx1 lists fewer frames than the stream header's length, the audio along with it
// (or when idx1 lists no audio at all). Entries keep the 12-byte form; every data position is
// the index's base offset plus the entry's offset, and entries beyond 32-bit positions are
// dropped as idx1's are. A damaged standard index is skipped; false only when a table cannot
// grow.
bool ReadOpenDmlWhereIdx1IsShort(const AviInput& input, AviWalk* walk);

// Adds the entries of the standard index chunks that a super index (the data of an "indx"
// chunk) names. False only when a table cannot grow.
bool AddOpenDmlEntries(const AviInput& input, const uint8_t* superIndex, size_t length,
                       IndexEntryKind kind, AviIndex* index);
