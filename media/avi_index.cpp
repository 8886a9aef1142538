#include "media/avi_index.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "media/little_endian.h"

namespace {

template <typename Entry>
bool Reallocate(IndexTable<Entry>* table, int64_t entries) {
  if (entries == 0) {
    std::free(table->entries);
    *table = {};
    return true;
  }
  void* grown = std::realloc(table->entries, static_cast<size_t>(entries) * sizeof(Entry));
  if (!grown) return false;
  table->entries = static_cast<Entry*>(grown);
  table->capacity = static_cast<int32_t>(entries);
  return true;
}

template <typename Entry>
bool Append(IndexTable<Entry>* table, const Entry& entry) {
  if (table->count == INT32_MAX) return false;
  if (table->count == table->capacity &&
      !Reallocate(table, int64_t{table->capacity} + kIndexGrowthEntries))
    return false;
  table->entries[table->count++] = entry;
  return true;
}

bool InsideFile(uint32_t dataOffset, uint32_t size, int64_t fileLength) {
  return int64_t{dataOffset} + size <= fileLength;
}

void KeepVideoInsideFile(IndexTable<VideoIndexEntry>* video, int64_t fileLength) {
  int32_t kept = 0;
  for (int32_t i = 0; i < video->count; ++i) {
    const VideoIndexEntry& entry = video->entries[i];
    if (InsideFile(entry.DataOffset, entry.Size, fileLength)) video->entries[kept++] = entry;
  }
  video->count = kept;
}

int32_t NumberAudioInsideFile(IndexTable<AudioIndexEntry>* audio, int64_t fileLength) {
  int32_t kept = 0;
  int64_t total = 0;
  for (int32_t i = 0; i < audio->count; ++i) {
    AudioIndexEntry entry = audio->entries[i];
    if (!InsideFile(entry.DataOffset, entry.Size, fileLength)) continue;
    if (total + entry.Size > INT32_MAX) continue;
    entry.BytesBefore = static_cast<uint32_t>(total);
    total += entry.Size;
    audio->entries[kept++] = entry;
  }
  audio->count = kept;
  return static_cast<int32_t>(total);
}

}  // namespace

bool AllocateIndex(AviIndex* index) {
  *index = {};
  if (!Reallocate(&index->video, kIndexGrowthEntries)) return false;
  if (Reallocate(&index->audio, kIndexGrowthEntries)) return true;
  ReleaseIndex(index);
  return false;
}

void ReleaseIndex(AviIndex* index) {
  std::free(index->video.entries);
  std::free(index->audio.entries);
  *index = {};
}

bool AppendIndexEntry(IndexTable<VideoIndexEntry>* table, const VideoIndexEntry& entry) {
  return Append(table, entry);
}

bool AppendIndexEntry(IndexTable<AudioIndexEntry>* table, const AudioIndexEntry& entry) {
  return Append(table, entry);
}

RawIndexEntry DecodeIndexEntry(const uint8_t* bytes) {
  RawIndexEntry entry;
  std::memcpy(entry.id, bytes, 4);
  entry.flags = ReadLittle32(bytes + 4);
  entry.offset = ReadLittle32(bytes + 8);
  entry.length = ReadLittle32(bytes + 12);
  return entry;
}

int32_t ChunkStreamNumber(const char id[4]) {
  const auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : -1; };
  const int tens = digit(id[0]), units = digit(id[1]);
  return tens < 0 || units < 0 ? -1 : tens * 10 + units;
}

IndexEntryKind ClassifyIndexEntry(const RawIndexEntry& entry, const IndexRules& rules) {
  const int32_t stream = ChunkStreamNumber(entry.id);
  if (stream < 0) return IndexEntryKind::Ignored;
  if (stream == rules.videoStream && entry.id[2] == 'd') return IndexEntryKind::Video;
  if (stream == rules.audioStream && entry.id[2] == 'w' && entry.id[3] == 'b')
    return IndexEntryKind::Audio;
  return IndexEntryKind::Ignored;
}

bool AddIndexEntries(const uint8_t* bytes, int32_t count, const IndexRules& rules,
                     AviIndex* index) {
  constexpr uint8_t kKeyFrameFlag = 0x10;
  for (int32_t i = 0; i < count; ++i) {
    const RawIndexEntry raw = DecodeIndexEntry(bytes + int64_t{i} * kIndexEntryBytes);
    const IndexEntryKind kind = ClassifyIndexEntry(raw, rules);
    if (kind == IndexEntryKind::Ignored) continue;
    // Reads seek with 32-bit offsets: data beyond them cannot be reached.
    const int64_t dataOffset = rules.dataBase + raw.offset;
    if (dataOffset < 0 || dataOffset > INT32_MAX) continue;
    const uint32_t offset = static_cast<uint32_t>(dataOffset);
    const bool added =
        kind == IndexEntryKind::Video
            ? AppendIndexEntry(&index->video,
                               {offset, raw.length, uint8_t((raw.flags & kKeyFrameFlag) != 0)})
            : AppendIndexEntry(&index->audio, {offset, raw.length, 0});
    if (!added) return false;
  }
  return true;
}

int32_t FinishIndex(AviIndex* index, int64_t fileLength) {
  KeepVideoInsideFile(&index->video, fileLength);
  const int32_t audioLength = NumberAudioInsideFile(&index->audio, fileLength);
  // Shrinking never fails in practice; a table that cannot shrink keeps its room.
  Reallocate(&index->video, index->video.count);
  Reallocate(&index->audio, index->audio.count);
  return audioLength;
}

AudioCursor LocateAudio(const IndexTable<AudioIndexEntry>& audio, int64_t position) {
  if (audio.count == 0) return {};
  position = std::max<int64_t>(position, 0);
  int32_t low = 0, high = audio.count;
  while (high - 1 > low) {
    const int32_t middle = low + (high - low) / 2;
    if (position < audio.entries[middle].BytesBefore)
      high = middle;
    else
      low = middle;
  }
  const AudioIndexEntry& entry = audio.entries[low];
  if (entry.Size <= kSmallAudioChunkBytes) return {low, 0};
  const int64_t inside = std::min<int64_t>(position - entry.BytesBefore, entry.Size);
  return {low, static_cast<int32_t>(inside)};
}

int64_t AudioCursorPosition(const IndexTable<AudioIndexEntry>& audio, const AudioCursor& cursor) {
  if (cursor.entry >= audio.count) return 0;
  return int64_t{audio.entries[cursor.entry].BytesBefore} + cursor.consumed;
}
