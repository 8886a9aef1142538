#include "tests/support/avi_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace {

constexpr uint32_t kAviHasIndex = 0x10;
constexpr uint32_t kKeyFrameFlag = 0x10;
constexpr size_t kSuperIndexHeaderBytes = 24;
constexpr size_t kSuperIndexEntryBytes = 16;
constexpr size_t kSuperIndexSlots = 64;
constexpr uint32_t kNotKeyFrameBit = 0x80000000u;

struct Writer {
  std::string out;
  std::vector<size_t> superIndexAt;  // per stream: where its "indx" data starts

  void Id(const char* id) { out.append(id, 4); }
  void U32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(value >> shift);
  }
  void U64(uint64_t value) {
    U32(static_cast<uint32_t>(value));
    U32(static_cast<uint32_t>(value >> 32));
  }
  void Put32(size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(value >> (8 * i));
  }
  void U16(uint16_t value) {
    out += static_cast<char>(value);
    out += static_cast<char>(value >> 8);
  }
  // Writes the identifier and a size to patch; returns where the size lives.
  size_t Begin(const char* id) {
    Id(id);
    U32(0);
    return out.size() - 4;
  }
  size_t BeginList(const char* type) {
    const size_t at = Begin("LIST");
    Id(type);
    return at;
  }
  void End(size_t sizeAt) {
    const uint32_t size = static_cast<uint32_t>(out.size() - sizeAt - 4);
    for (int i = 0; i < 4; ++i) out[sizeAt + i] = static_cast<char>(size >> (8 * i));
    if (size & 1) out += '\0';
  }
};

uint32_t ReadU32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t{uint8_t(bytes[at + i])} << (8 * i);
  return value;
}

uint32_t VideoStreamLength(const AviLayout& layout, size_t stream) {
  if (layout.streams[stream].length) return layout.streams[stream].length;
  uint32_t frames = 0;
  for (const AviChunkSpec& chunk : layout.chunks)
    if (chunk.id[0] == char('0' + stream / 10) && chunk.id[1] == char('0' + stream % 10) &&
        chunk.id[2] == 'd')
      ++frames;
  return frames;
}

void WriteMainHeader(const AviLayout& layout, Writer* w) {
  const size_t at = w->Begin("avih");
  const AviStreamSpec* video = layout.streams.empty() ? nullptr : &layout.streams[0];
  w->U32(video && video->rate ? 1000000ull * video->scale / video->rate : 0);
  w->U32(0);
  w->U32(0);
  w->U32(layout.writeIndex ? kAviHasIndex : 0);
  w->U32(video ? VideoStreamLength(layout, 0) : 0);
  w->U32(0);
  w->U32(static_cast<uint32_t>(layout.streams.size()));
  w->U32(0);
  w->U32(video ? video->width : 0);
  w->U32(video ? video->height : 0);
  for (int i = 0; i < 4; ++i) w->U32(0);
  w->End(at);
}

void WriteStreamList(const AviLayout& layout, size_t number, Writer* w) {
  const AviStreamSpec& stream = layout.streams[number];
  const bool video = std::strcmp(stream.type, "vids") == 0;
  const size_t list = w->BeginList("strl");
  const size_t header = w->Begin("strh");
  w->Id(stream.type);
  w->Id(video ? stream.handler : "\0\0\0\0");
  w->U32(0);
  w->U32(0);
  w->U32(0);
  w->U32(stream.scale);
  w->U32(stream.rate);
  w->U32(0);
  w->U32(video ? VideoStreamLength(layout, number) : stream.length);
  for (int i = 0; i < 5; ++i) w->U32(0);
  w->End(header);
  const size_t format = w->Begin("strf");
  if (video) {
    w->U32(40);
    w->U32(stream.width);
    w->U32(stream.height);
    w->U16(1);
    w->U16(24);
    w->Id(stream.handler);
    for (int i = 0; i < 5; ++i) w->U32(0);
  } else {
    w->U16(stream.formatTag);
    w->U16(stream.channels);
    w->U32(stream.sampleRate);
    const uint16_t blockAlign = stream.blockAlign ? stream.blockAlign : stream.channels * 2;
    w->U32(stream.sampleRate * blockAlign);
    w->U16(blockAlign);
    w->U16(16);
    w->U16(0);
  }
  w->End(format);
  if (layout.openDmlPartChunks) {  // room for the super index, filled in at the end
    const size_t index = w->Begin("indx");
    w->superIndexAt.push_back(w->out.size());
    w->out.append(kSuperIndexHeaderBytes + kSuperIndexSlots * kSuperIndexEntryBytes, '\0');
    w->End(index);
  }
  w->End(list);
}

void WriteIndex(const AviLayout& layout, BuiltAvi* built, Writer* w) {
  const size_t at = w->Begin("idx1");
  built->indexEntries = w->out.size();
  // Offsets point at each chunk's header: from the word "movi", or from the start of the file.
  const size_t base = layout.offsets == IndexOffsets::FromMovi ? built->moviPosition - 4 : 0;
  for (size_t i = 0; i < layout.chunks.size(); ++i) {
    const AviChunkSpec& chunk = layout.chunks[i];
    if (!chunk.indexed || (layout.openDmlPartChunks && i >= layout.openDmlPartChunks)) continue;
    w->Id(chunk.id);
    w->U32(chunk.key ? kKeyFrameFlag : 0);
    w->U32(static_cast<uint32_t>(built->chunkData[i] - 8 - base));
    w->U32(chunk.size);
  }
  for (const AviIndexEntrySpec& entry : layout.extraIndexEntries) {
    w->Id(entry.id);
    w->U32(entry.flags);
    w->U32(entry.offset);
    w->U32(entry.length);
  }
  w->End(at);
}

bool ChunkOfStream(const char* id, size_t stream) {
  return id[0] == char('0' + stream / 10) && id[1] == char('0' + stream % 10);
}

// A standard index of one stream's chunks in [first, end), offsets from the movi list's start,
// and its entry in the stream's super index.
void WriteStandardIndex(const AviLayout& layout, size_t stream, size_t first, size_t end,
                        size_t moviList, const BuiltAvi& built, Writer* w) {
  const char name[5] = {'i', 'x', char('0' + stream / 10), char('0' + stream % 10), 0};
  const size_t start = w->out.size();
  const size_t at = w->Begin(name);
  const char* chunkId = nullptr;
  uint32_t count = 0;
  for (size_t i = first; i < end; ++i)
    if (ChunkOfStream(layout.chunks[i].id, stream)) chunkId = layout.chunks[i].id, ++count;
  w->U16(2);
  w->out += '\0';
  w->out += '\1';  // an index of chunks
  w->U32(count);
  w->Id(chunkId ? chunkId : "00dc");
  w->U64(moviList);
  w->U32(0);
  for (size_t i = first; i < end; ++i) {
    const AviChunkSpec& chunk = layout.chunks[i];
    if (!ChunkOfStream(chunk.id, stream)) continue;
    w->U32(static_cast<uint32_t>(built.chunkData[i] - moviList));
    w->U32(chunk.size | (chunk.key || chunk.id[2] == 'w' ? 0 : kNotKeyFrameBit));
  }
  w->End(at);
  const size_t super = w->superIndexAt[stream];
  const uint32_t used = ReadU32(w->out, super + 4);
  if (used >= kSuperIndexSlots) return;
  if (used == 0) {
    std::memcpy(&w->out[super], "\4\0\0\0", 4);  // 4 longs an entry, an index of indexes
    std::memcpy(&w->out[super + 8], chunkId ? chunkId : "00dc", 4);
  }
  const size_t entry = super + kSuperIndexHeaderBytes + used * kSuperIndexEntryBytes;
  w->Put32(entry, static_cast<uint32_t>(start));
  w->Put32(entry + 8, static_cast<uint32_t>(w->out.size() - start));
  w->Put32(entry + 12, count);
  w->Put32(super + 4, used + 1);
}

void WriteMoviChunks(const AviLayout& layout, size_t first, size_t end, size_t moviList,
                     BuiltAvi* built, Writer* w) {
  for (size_t i = first; i < end; ++i) {
    const size_t chunk = w->Begin(layout.chunks[i].id);
    built->chunkData.push_back(w->out.size());
    w->out += ChunkPayload(i, layout.chunks[i].size);
    w->End(chunk);
  }
  if (!layout.openDmlPartChunks) return;
  for (size_t stream = 0; stream < layout.streams.size(); ++stream)
    WriteStandardIndex(layout, stream, first, end, moviList, *built, w);
}

}  // namespace

AviStreamSpec VideoStream(const char* handler, uint32_t frames, uint32_t rate, uint32_t scale) {
  AviStreamSpec stream;
  std::memcpy(stream.handler, handler, 4);
  stream.length = frames;
  stream.rate = rate;
  stream.scale = scale;
  return stream;
}

AviStreamSpec AudioStream(uint16_t formatTag, uint32_t bytes) {
  AviStreamSpec stream;
  std::memcpy(stream.type, "auds", 4);
  stream.formatTag = formatTag;
  stream.length = bytes;
  return stream;
}

std::string ChunkPayload(size_t chunkNumber, uint32_t size) {
  std::string bytes(size, '\0');
  for (uint32_t k = 0; k < size; ++k)
    bytes[k] = static_cast<char>(chunkNumber * 37 + k * 11 + (k >> 8));
  return bytes;
}

BuiltAvi BuildAvi(const AviLayout& layout) {
  BuiltAvi built;
  Writer w;
  const size_t riff = w.Begin("RIFF");
  w.Id("AVI ");
  const size_t headerList = w.BeginList("hdrl");
  WriteMainHeader(layout, &w);
  for (size_t i = 0; i < layout.streams.size(); ++i) WriteStreamList(layout, i, &w);
  w.End(headerList);
  if (layout.junkBeforeMovi) {
    const size_t junk = w.Begin("JUNK");
    w.out.append(layout.junkBeforeMovi, '\0');
    w.End(junk);
  }
  const size_t movi = w.BeginList("movi");
  built.moviPosition = w.out.size();
  const size_t partChunks = layout.openDmlPartChunks ? layout.openDmlPartChunks : SIZE_MAX;
  WriteMoviChunks(layout, 0, std::min(partChunks, layout.chunks.size()), movi, &built, &w);
  w.End(movi);
  if (layout.writeIndex) WriteIndex(layout, &built, &w);
  w.End(riff);
  for (size_t first = partChunks; first < layout.chunks.size(); first += partChunks) {
    const size_t part = w.Begin("RIFF");
    w.Id("AVIX");
    const size_t partMovi = w.BeginList("movi");
    WriteMoviChunks(layout, first, std::min(first + partChunks, layout.chunks.size()), partMovi,
                    &built, &w);
    w.End(partMovi);
    w.End(part);
  }
  built.bytes = std::move(w.out);
  return built;
}

AviLayout InterleavedAvi(int32_t frames, int32_t keyEvery, uint32_t videoBytes,
                         uint32_t audioBytes) {
  AviLayout layout;
  layout.streams.push_back(VideoStream("XVID", frames));
  if (audioBytes) layout.streams.push_back(AudioStream(0x55, audioBytes * frames));
  for (int32_t frame = 0; frame < frames; ++frame) {
    layout.chunks.push_back({.id = "00dc", .size = videoBytes, .key = frame % keyEvery == 0});
    if (audioBytes) layout.chunks.push_back({.id = "01wb", .size = audioBytes});
  }
  return layout;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}
