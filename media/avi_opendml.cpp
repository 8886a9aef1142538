#include "media/avi_opendml.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/little_endian.h"

namespace {

// "indx": longs per entry (16 bits), sub type, index type, entries in use, chunk id, 3 reserved
// words; then entries of 16 bytes: offset (64 bits), size, duration.
constexpr size_t kSuperIndexHeaderBytes = 24;
constexpr size_t kSuperIndexEntryBytes = 16;
constexpr uint8_t kIndexOfIndexes = 0x00;
// "ix##": the chunk header, longs per entry (2), sub type, index type, entries in use, chunk id,
// base offset (64 bits), a reserved word; then entries of 8 bytes: offset, size.
constexpr int32_t kStandardIndexHeaderBytes = 32;
constexpr int32_t kStandardIndexEntryBytes = 8;
constexpr uint8_t kIndexOfChunks = 0x01;
constexpr uint32_t kNotKeyFrameBit = 0x80000000u;
constexpr int32_t kEntriesPerRead = 2000;

uint64_t ReadLittle64(const uint8_t* bytes) {
  return ReadLittle32(bytes) | uint64_t{ReadLittle32(bytes + 4)} << 32;
}

bool AddEntry(uint64_t base, uint32_t offset, uint32_t size, IndexEntryKind kind, AviIndex* index) {
  const uint64_t data = base + offset;
  if (data > INT32_MAX) return true;  // beyond what 32-bit reads reach, as in idx1
  const uint32_t bytes = size & ~kNotKeyFrameBit;
  if (kind == IndexEntryKind::Video)
    return AppendIndexEntry(&index->video, {static_cast<uint32_t>(data), bytes,
                                            uint8_t((size & kNotKeyFrameBit) == 0)});
  return AppendIndexEntry(&index->audio, {static_cast<uint32_t>(data), bytes, 0});
}

// One "ix##" chunk at `position`; one that does not look like a standard index adds nothing.
// *end becomes the end of the entries it read.
bool AddStandardIndex(const AviInput& input, uint64_t position, IndexEntryKind kind,
                      AviIndex* index, int64_t* end) {
  uint8_t header[kStandardIndexHeaderBytes];
  if (position > INT32_MAX || ReadAt(input, static_cast<int64_t>(position), header,
                                     kStandardIndexHeaderBytes) < kStandardIndexHeaderBytes)
    return true;
  const bool named = std::memcmp(header, "ix", 2) == 0 || std::memcmp(header + 2, "ix", 2) == 0;
  if (!named || ReadLittle16(header + 8) != 2 || header[11] != kIndexOfChunks) return true;
  const uint32_t chunkBytes = ReadLittle32(header + 4);
  const int64_t room =
      (int64_t{chunkBytes} - (kStandardIndexHeaderBytes - 8)) / kStandardIndexEntryBytes;
  int64_t entries = std::min<int64_t>(ReadLittle32(header + 12), std::max<int64_t>(room, 0));
  const uint64_t base = ReadLittle64(header + 20);
  int64_t at = static_cast<int64_t>(position) + kStandardIndexHeaderBytes;
  uint8_t block[kEntriesPerRead * kStandardIndexEntryBytes];
  while (entries > 0) {
    const int32_t wanted = static_cast<int32_t>(std::min<int64_t>(entries, kEntriesPerRead));
    const int32_t got =
        ReadAt(input, at, block, wanted * kStandardIndexEntryBytes) / kStandardIndexEntryBytes;
    for (int32_t i = 0; i < got; ++i) {
      const uint8_t* entry = block + i * kStandardIndexEntryBytes;
      if (!AddEntry(base, ReadLittle32(entry), ReadLittle32(entry + 4), kind, index)) return false;
    }
    at += int64_t{got} * kStandardIndexEntryBytes;
    *end = at;
    if (got < wanted) break;
    entries -= got;
  }
  return true;
}

// Empties one table and fills it from the stream's OpenDML index.
bool ReplaceFromOpenDml(const AviInput& input, const AviWalk& walk, const HeaderListSpan& span,
                        IndexEntryKind kind, AviIndex* index) {
  if (kind == IndexEntryKind::Video)
    index->video.count = 0;
  else
    index->audio.count = 0;
  return AddOpenDmlEntries(input, walk.headerList.get() + span.offset, span.length, kind, index);
}

}  // namespace

bool AddOpenDmlEntries(const AviInput& input, const uint8_t* superIndex, size_t length,
                       IndexEntryKind kind, AviIndex* index) {
  if (length < kSuperIndexHeaderBytes || superIndex[3] != kIndexOfIndexes ||
      ReadLittle16(superIndex) != 4)
    return true;
  const size_t room = (length - kSuperIndexHeaderBytes) / kSuperIndexEntryBytes;
  const size_t entries = std::min<size_t>(ReadLittle32(superIndex + 4), room);
  std::vector<uint64_t> positions(entries);
  for (size_t i = 0; i < entries; ++i)
    positions[i] = ReadLittle64(superIndex + kSuperIndexHeaderBytes + i * kSuperIndexEntryBytes);
  // In file order, and never the same bytes twice: standard indexes named twice, or overlapping,
  // would otherwise multiply the entries far beyond what the file holds.
  std::sort(positions.begin(), positions.end());
  int64_t readUntil = 0;
  for (const uint64_t position : positions) {
    if (position < static_cast<uint64_t>(readUntil)) continue;
    if (!AddStandardIndex(input, position, kind, index, &readUntil)) return false;
  }
  return true;
}

bool ReadOpenDmlWhereIdx1IsShort(const AviInput& input, AviWalk* walk) {
  if (!walk->headerList) return true;
  MediaDescriptor scratch{};
  const AviStreamChoice choice =
      ParseHeaderList(walk->headerList.get(), walk->headerListBytes, &scratch);
  const bool videoShort =
      choice.videoSuperIndex.length > 0 && walk->index.video.count < scratch.FrameCount;
  const bool audioShort =
      choice.audioSuperIndex.length > 0 && (videoShort || walk->index.audio.count == 0);
  if (videoShort && !ReplaceFromOpenDml(input, *walk, choice.videoSuperIndex, IndexEntryKind::Video,
                                        &walk->index))
    return false;
  if (audioShort && !ReplaceFromOpenDml(input, *walk, choice.audioSuperIndex, IndexEntryKind::Audio,
                                        &walk->index))
    return false;
  return true;
}
