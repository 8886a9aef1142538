// Builds AVI files for tests: chosen streams, chunk sizes, key flags, idx1 variants (offsets
// from "movi" or from the start of the file, extra entries, none), odd-sized padded chunks.
// Damage is done on the returned bytes, using the positions reported with them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AviStreamSpec {
  char type[5] = "vids";  // "vids", "auds", or anything else for a stream the reader ignores
  char handler[5] = "XVID";
  uint32_t scale = 1;
  uint32_t rate = 25;
  uint32_t length = 0;  // frames of a video stream, bytes of an audio stream
  int32_t width = 176;
  int32_t height = 144;
  uint16_t formatTag = 0x55;  // audio format tag
  uint16_t channels = 2;
  uint32_t sampleRate = 44100;
  uint16_t blockAlign = 0;  // bytes per audio block; 0: channels x 2
};

AviStreamSpec VideoStream(const char* handler, uint32_t frames, uint32_t rate = 25,
                          uint32_t scale = 1);
AviStreamSpec AudioStream(uint16_t formatTag, uint32_t bytes);

struct AviChunkSpec {
  char id[5] = "00dc";
  uint32_t size = 0;
  bool key = false;
  bool indexed = true;
};

struct AviIndexEntrySpec {
  char id[5] = "00dc";
  uint32_t flags = 0;
  uint32_t offset = 0;
  uint32_t length = 0;
};

enum class IndexOffsets { FromMovi, FromFileStart };

struct AviLayout {
  std::vector<AviStreamSpec> streams;
  std::vector<AviChunkSpec> chunks;  // the movie data, in file order
  bool writeIndex = true;
  IndexOffsets offsets = IndexOffsets::FromMovi;
  std::vector<AviIndexEntrySpec> extraIndexEntries;  // appended to the index as given
  uint32_t junkBeforeMovi = 0;                       // bytes of a "JUNK" chunk before movi
  // Nonzero: written as OpenDML, as muxers write files over 1 GB. The first RIFF part holds this
  // many chunks (idx1, when written, lists only those), each further "RIFF AVIX" part as many;
  // every part ends its movi list with one "ix##" standard index per stream, and each stream's
  // header list has an "indx" super index naming them.
  uint32_t openDmlPartChunks = 0;
};

struct BuiltAvi {
  std::string bytes;
  size_t moviPosition = 0;        // just past the word "movi"
  size_t indexEntries = 0;        // offset of the first idx1 entry; 0 without idx1
  std::vector<size_t> chunkData;  // offset of each chunk's data
};

BuiltAvi BuildAvi(const AviLayout& layout);

// The bytes a chunk carries: a pattern of its number, so reads can be checked byte for byte.
std::string ChunkPayload(size_t chunkNumber, uint32_t size);

// A common layout: stream 0 video of `frames` frames of `videoBytes` each, key frames every
// `keyEvery` frames from frame 0; with audioBytes > 0, stream 1 audio ("01wb") with one chunk
// of audioBytes after each frame.
AviLayout InterleavedAvi(int32_t frames, int32_t keyEvery, uint32_t videoBytes,
                         uint32_t audioBytes);

bool WriteBytes(const std::string& path, const std::string& bytes);
