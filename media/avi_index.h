// The two index tables of an AVI file, built from its idx1 chunk: where each video frame and
// each piece of the audio stream lies in the file. Pure functions over bytes and tables.
#pragma once

#include <cstdint>

struct VideoIndexEntry {
  uint32_t DataOffset;  // file offset of the chunk's data, past its 8-byte header
  uint32_t Size;
  uint8_t KeyFlag;  // 1 = key frame
};

struct AudioIndexEntry {
  uint32_t DataOffset;
  uint32_t Size;
  uint32_t BytesBefore;  // the audio stream position at which this chunk starts
};

static_assert(sizeof(VideoIndexEntry) == 12 && sizeof(AudioIndexEntry) == 12);

// Tables start with room for this many entries and grow by as many at a time.
constexpr int32_t kIndexGrowthEntries = 100000;
constexpr int32_t kIndexEntryBytes = 16;

template <typename Entry>
struct IndexTable {
  Entry* entries = nullptr;  // malloc'd; null when empty
  int32_t count = 0;
  int32_t capacity = 0;
};

struct AviIndex {
  IndexTable<VideoIndexEntry> video;
  IndexTable<AudioIndexEntry> audio;
};

// Gives both tables their first room. False (and nothing held) when memory runs out.
bool AllocateIndex(AviIndex* index);
void ReleaseIndex(AviIndex* index);
// Appends, growing a full table first. False when the growth fails (the table is unchanged).
bool AppendIndexEntry(IndexTable<VideoIndexEntry>* table, const VideoIndexEntry& entry);
bool AppendIndexEntry(IndexTable<AudioIndexEntry>* table, const AudioIndexEntry& entry);

// One 16-byte idx1 entry.
struct RawIndexEntry {
  char id[4];
  uint32_t flags;
  uint32_t offset;
  uint32_t length;
};
RawIndexEntry DecodeIndexEntry(const uint8_t* bytes);

enum class IndexEntryKind { Ignored, Video, Audio };

// How entries of one file are read: the streams chosen from its header list and where chunk
// offsets count from.
struct IndexRules {
  int32_t videoStream = -1;  // stream numbers; -1 = none chosen
  int32_t audioStream = -1;
  int64_t dataBase = 0;  // added to a chunk offset, gives the chunk's data offset
};

// The stream number in an identifier's first two characters ("01wb" -> 1), or -1.
int32_t ChunkStreamNumber(const char id[4]);
// Only the chosen streams' chunks count: "NNd?" of the video stream, "NNwb" of the audio stream.
IndexEntryKind ClassifyIndexEntry(const RawIndexEntry& entry, const IndexRules& rules);
// Adds `count` 16-byte entries. Entries whose data offset cannot be addressed are skipped.
// False when a table cannot grow.
bool AddIndexEntries(const uint8_t* bytes, int32_t count, const IndexRules& rules, AviIndex* index);
// Once the file's length is known: drops entries whose data lies outside the file and audio
// entries that would carry the stream past 2 GiB, numbers the audio bytes, and shrinks both
// tables to their counts. Returns the audio stream's length in bytes.
int32_t FinishIndex(AviIndex* index, int64_t fileLength);

// Where a byte position of the audio stream lies: an entry and the bytes consumed in it.
struct AudioCursor {
  int32_t entry = 0;
  int32_t consumed = 0;
};
// Chunks of at most this many bytes are entered at their first byte.
constexpr uint32_t kSmallAudioChunkBytes = 1000;
// The last entry starting at or before `position` (negative counts as 0; beyond the end lands
// in the last entry).
AudioCursor LocateAudio(const IndexTable<AudioIndexEntry>& audio, int64_t position);
int64_t AudioCursorPosition(const IndexTable<AudioIndexEntry>& audio, const AudioCursor& cursor);
