#include "media/avi_parser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "media/avi_opendml.h"
#include "media/little_endian.h"

namespace {

constexpr int32_t kChunkHeaderBytes = 8;
constexpr int32_t kListTypeBytes = 4;
constexpr size_t kListHeaderBytes = 12;
constexpr int32_t kIndexBlockEntries = 1000;
// A header list is a few kilobytes; a size beyond this is damage, not a list worth copying.
constexpr int64_t kMaxHeaderListBytes = 16 << 20;
// The key-frame estimate sets aside this much audio from the file's bytes per second.
constexpr int64_t kAssumedAudioBitsPerSecond = 32000;
constexpr double kKeyFrameSizeFactor = 4.0;

bool IdIs(const uint8_t* bytes, const char (&id)[5]) {
  return std::memcmp(bytes, id, 4) == 0;
}

enum class HeaderKind { Neither, Video, Audio };

// A chunk's data as far as both the chunk and the copy reach; fields beyond read as 0.
struct ChunkData {
  const uint8_t* bytes;
  size_t available;
};

uint32_t Field32(const ChunkData& data, size_t offset) {
  return offset + 4 <= data.available ? ReadLittle32(data.bytes + offset) : 0;
}

uint16_t Field16(const ChunkData& data, size_t offset) {
  return offset + 2 <= data.available ? ReadLittle16(data.bytes + offset) : 0;
}

int32_t Clamp32(uint32_t value) {
  return static_cast<int32_t>(std::min<uint32_t>(value, INT32_MAX));
}

HeaderKind ReadVideoStreamHeader(const ChunkData& data, MediaDescriptor* descriptor,
                                 AviStreamChoice* choice) {
  const uint32_t scale = Field32(data, 20), rate = Field32(data, 24);
  std::memset(descriptor->FourCC, 0, sizeof(descriptor->FourCC));
  if (data.available >= 8)
    std::memcpy(descriptor->FourCC, data.bytes + 4, sizeof(descriptor->FourCC));
  descriptor->FourCCTerminator = 0;
  if (scale != 0) descriptor->FramesPerSecond = static_cast<double>(rate) / scale;
  choice->videoFrameRateUsable = scale != 0 && rate != 0;
  descriptor->FrameCount = Clamp32(Field32(data, 32));
  return HeaderKind::Video;
}

HeaderKind ReadStreamHeader(const ChunkData& data, int32_t stream, MediaDescriptor* descriptor,
                            AviStreamChoice* choice) {
  if (data.available < 4) return HeaderKind::Neither;
  if (IdIs(data.bytes, "vids") && choice->videoStream < 0) {
    choice->videoStream = stream;
    return ReadVideoStreamHeader(data, descriptor, choice);
  }
  if (IdIs(data.bytes, "auds") && choice->audioStream < 0) {
    choice->audioStream = stream;
    descriptor->AudioLength = Clamp32(Field32(data, 32));
    return HeaderKind::Audio;
  }
  return HeaderKind::Neither;
}

void ReadStreamFormat(const ChunkData& data, HeaderKind kind, MediaDescriptor* descriptor) {
  if (kind == HeaderKind::Video) {
    descriptor->Width = static_cast<int32_t>(Field32(data, 4));
    // A negative height marks a top-down bitmap; the picture is as tall either way.
    const int64_t height = static_cast<int32_t>(Field32(data, 8));
    descriptor->Height = static_cast<int32_t>(std::min<int64_t>(std::abs(height), INT32_MAX));
  } else if (kind == HeaderKind::Audio) {
    // The format record also gives the PCM pass-through the format to ask the device for.
    descriptor->AudioFormatTag = Field16(data, 0);
    descriptor->Channels = Field16(data, 2);
    descriptor->SampleRate = Clamp32(Field32(data, 4));
    descriptor->PcmBitrate =
        static_cast<int32_t>(std::min<uint64_t>(uint64_t{Field32(data, 8)} * 8, INT32_MAX));
  }
}

// The walk reads chunk headers through one block of the file, so that a run of small chunks,
// or of junk, costs one input read per block rather than two input calls per chunk.
constexpr int32_t kWalkBlockBytes = 4096;

struct WalkCursor {
  const AviInput& input;
  int64_t position = kRiffHeaderBytes;  // the next byte the walk looks at
  int64_t blockStart = 0;
  int32_t blockBytes = 0;
  uint8_t block[kWalkBlockBytes];
};

// A small read at the cursor (at most a block), from the block when it holds the bytes.
bool CursorRead(WalkCursor* cursor, uint8_t* destination, int32_t count) {
  const int64_t inBlock = cursor->position - cursor->blockStart;
  if (inBlock < 0 || inBlock + count > cursor->blockBytes) {
    cursor->blockStart = cursor->position;
    cursor->blockBytes = ReadAt(cursor->input, cursor->position, cursor->block, kWalkBlockBytes);
  }
  const int64_t at = cursor->position - cursor->blockStart;
  if (at + count > cursor->blockBytes) return false;
  std::memcpy(destination, cursor->block + at, static_cast<size_t>(count));
  cursor->position += count;
  return true;
}

// A large read at the cursor, straight into the destination.
int32_t CursorReadDirect(WalkCursor* cursor, uint8_t* destination, int32_t count) {
  const int32_t got = ReadAt(cursor->input, cursor->position, destination, count);
  cursor->position += got;
  return got;
}

bool CopyHeaderList(WalkCursor* cursor, int64_t length, AviWalk* walk) {
  walk->headerList.reset();
  walk->headerListBytes = 0;
  if (length > kMaxHeaderListBytes) return false;
  std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[length]);
  if (!copy || CursorReadDirect(cursor, copy.get(), static_cast<int32_t>(length)) < length)
    return false;
  walk->headerList = std::move(copy);
  walk->headerListBytes = static_cast<size_t>(length);
  return true;
}

// What the idx1 chunks of one walk share: the rules from the header list, and where chunk
// offsets count from once an entry has told (both recomputed when the hdrl or movi changes).
struct IndexState {
  IndexRules rules;
  bool rulesKnown = false;
  bool dataBaseKnown = false;
};

enum class Step { Continue, End, Fail };

Step ReadList(WalkCursor* cursor, int64_t paddedSize, AviWalk* walk, IndexState* state) {
  uint8_t type[kListTypeBytes];
  if (!CursorRead(cursor, type, kListTypeBytes)) return Step::Fail;
  const int64_t remaining = std::max<int64_t>(paddedSize - kListTypeBytes, 0);
  if (IdIs(type, "hdrl")) {
    *state = {};
    return CopyHeaderList(cursor, remaining, walk) ? Step::Continue : Step::Fail;
  }
  if (IdIs(type, "movi")) {
    walk->moviPosition = cursor->position;
    *state = {};
  }
  cursor->position += remaining;
  return Step::Continue;
}

bool ChunkIdAt(const AviInput& input, int64_t position, const char id[4]) {
  uint8_t found[4];
  return ReadAt(input, position, found, 4) == 4 && std::memcmp(found, id, 4) == 0;
}

// Most writers count chunk offsets from the word "movi"; some (GStreamer's muxer among them)
// from the start of the file. The first entry of a chosen stream tells which: the chunk it
// names must carry its identifier. False while no such entry has been seen.
bool DetectDataBase(const AviInput& input, const uint8_t* entries, int32_t count,
                    int64_t moviPosition, IndexRules* rules) {
  for (int32_t i = 0; i < count; ++i) {
    const RawIndexEntry entry = DecodeIndexEntry(entries + int64_t{i} * kIndexEntryBytes);
    if (ClassifyIndexEntry(entry, *rules) == IndexEntryKind::Ignored) continue;
    const int64_t fromMovi = moviPosition - kListTypeBytes + entry.offset;
    if (!ChunkIdAt(input, fromMovi, entry.id) && ChunkIdAt(input, entry.offset, entry.id))
      rules->dataBase = kChunkHeaderBytes;
    return true;
  }
  return false;
}

IndexRules RulesForIndex(const AviWalk& walk) {
  MediaDescriptor scratch{};
  const AviStreamChoice choice =
      walk.headerList ? ParseHeaderList(walk.headerList.get(), walk.headerListBytes, &scratch)
                      : AviStreamChoice{};
  return {.videoStream = choice.videoStream,
          .audioStream = choice.audioStream,
          .dataBase = walk.moviPosition + kListTypeBytes};
}

// Reads idx1 in blocks of 1000 entries. The last idx1 of the file wins: a later one empties the
// tables and fills them again, keeping their room.
bool ReadIndexChunk(WalkCursor* cursor, int64_t paddedSize, AviWalk* walk, IndexState* state) {
  walk->index.video.count = walk->index.audio.count = 0;
  if (!walk->index.video.entries && !AllocateIndex(&walk->index)) return false;
  if (!state->rulesKnown) *state = {.rules = RulesForIndex(*walk), .rulesKnown = true};
  const int64_t entries = paddedSize / kIndexEntryBytes;
  const int64_t fullBlocks = entries / kIndexBlockEntries;
  uint8_t block[kIndexBlockEntries * kIndexEntryBytes];
  for (int64_t number = 0; number <= fullBlocks; ++number) {
    const int64_t blockEntries =
        number < fullBlocks ? kIndexBlockEntries : entries % kIndexBlockEntries;
    const int32_t wanted = static_cast<int32_t>(blockEntries * kIndexEntryBytes);
    const int32_t got = CursorReadDirect(cursor, block, wanted);
    // A block cut short by the end of the file still holds whole entries worth keeping.
    const int32_t whole = got / kIndexEntryBytes;
    if (!state->dataBaseKnown)
      state->dataBaseKnown =
          DetectDataBase(cursor->input, block, whole, walk->moviPosition, &state->rules);
    if (!AddIndexEntries(block, whole, state->rules, &walk->index)) {
      ReleaseIndex(&walk->index);
      return false;
    }
    if (got < wanted) break;
  }
  return true;
}

// Where the first RIFF part ends. A size too small to hold the form type (a recording that was
// never finished writes 0) leaves the end of the file as the limit.
int64_t RiffEnd(const uint8_t* header) {
  const uint32_t size = ReadLittle32(header + 4);
  return size >= kListTypeBytes ? int64_t{8} + size + (size & 1) : INT64_MAX;
}

Step WalkChunk(WalkCursor* cursor, AviWalk* walk, IndexState* state) {
  uint8_t chunk[kChunkHeaderBytes];
  if (!CursorRead(cursor, chunk, kChunkHeaderBytes)) return Step::End;
  const uint32_t size = ReadLittle32(chunk + 4);
  const int64_t paddedSize = int64_t{size} + (size & 1);
  if (IdIs(chunk, "LIST")) return ReadList(cursor, paddedSize, walk, state);
  if (IdIs(chunk, "idx1"))
    return ReadIndexChunk(cursor, paddedSize, walk, state) ? Step::Continue : Step::Fail;
  cursor->position += paddedSize;
  return Step::Continue;
}

}  // namespace

int32_t ReadAt(const AviInput& input, int64_t position, uint8_t* destination, int32_t count) {
  if (position < 0 || position > INT32_MAX) return 0;
  if (input.Seek(static_cast<int32_t>(position), TARNIC_FROM_START) < 0) return 0;
  return std::max(input.Read(destination, count), 0);
}

bool IsAviHeader(const uint8_t* bytes, int32_t count) {
  return count >= kRiffHeaderBytes && IdIs(bytes, "RIFF") && IdIs(bytes + 8, "AVI ");
}

AviStreamChoice ParseHeaderList(const uint8_t* bytes, size_t length, MediaDescriptor* descriptor) {
  AviStreamChoice choice;
  HeaderKind last = HeaderKind::Neither;
  int32_t streamCounter = 0;
  size_t position = 0;
  while (position + kChunkHeaderBytes <= length) {
    const uint8_t* chunk = bytes + position;
    if (IdIs(chunk, "LIST")) {  // descend into the stream lists
      position += kListHeaderBytes;
      continue;
    }
    const uint32_t size = ReadLittle32(chunk + 4);
    const size_t dataStart = position + kChunkHeaderBytes;
    const ChunkData data{bytes + dataStart, std::min<size_t>(size, length - dataStart)};
    if (IdIs(chunk, "strh")) {
      last = ReadStreamHeader(data, streamCounter++, descriptor, &choice);
    } else if (IdIs(chunk, "indx")) {  // belongs to the stream whose header came last
      const HeaderListSpan span{dataStart, data.available};
      if (streamCounter > 0 && streamCounter - 1 == choice.videoStream)
        choice.videoSuperIndex = span;
      if (streamCounter > 0 && streamCounter - 1 == choice.audioStream)
        choice.audioSuperIndex = span;
      last = HeaderKind::Neither;
    } else {
      if (IdIs(chunk, "strf")) {
        ReadStreamFormat(data, last, descriptor);
        if (last == HeaderKind::Audio) choice.audioFormat = {dataStart, data.available};
      }
      last = HeaderKind::Neither;
    }
    const uint64_t padded = uint64_t{size} + (size & 1);
    if (padded > length - dataStart) break;
    position = dataStart + padded;
  }
  return choice;
}

int32_t KeyFrameThreshold(double framesPerSecond, int32_t frameCount, int64_t fileLength) {
  if (!(framesPerSecond > 0)) return 0;
  const double secondsPerFrame = 1.0 / framesPerSecond;
  const double seconds = frameCount * secondsPerFrame;
  if (!(seconds >= 1.0) || seconds > INT32_MAX) return 0;
  const int64_t duration = static_cast<int64_t>(seconds);
  const int64_t videoBytesPerSecond =
      (fileLength - duration * kAssumedAudioBitsPerSecond / 8) / duration;
  const double threshold = videoBytesPerSecond * secondsPerFrame * kKeyFrameSizeFactor;
  return static_cast<int32_t>(std::clamp(threshold, 0.0, double{INT32_MAX}));
}

bool WalkAviFile(const AviInput& input, AviWalk* walk) {
  uint8_t header[kRiffHeaderBytes];
  if (!IsAviHeader(header, ReadAt(input, 0, header, kRiffHeaderBytes))) return false;
  // Later parts of a large file (RIFF AVIX) are reached through the OpenDML index, not walked.
  const int64_t riffEnd = RiffEnd(header);
  WalkCursor cursor{.input = input};
  IndexState state;
  Step step = Step::Continue;
  while (step == Step::Continue && cursor.position + kChunkHeaderBytes <= riffEnd)
    step = WalkChunk(&cursor, walk, &state);
  if (step == Step::Fail) return false;
  return ReadOpenDmlWhereIdx1IsShort(input, walk);
}
