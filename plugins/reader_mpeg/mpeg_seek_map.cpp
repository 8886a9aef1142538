#include "plugins/reader_mpeg/mpeg_seek_map.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kXingFrames = 1, kXingBytes = 2, kXingToc = 4;
constexpr size_t kXingTocEntries = 100;
constexpr double kXingTocScale = 256.0;
constexpr size_t kVbriOffset = 4 + 32;  // always 32 bytes of side information after the header
constexpr size_t kVbriHeaderBytes = 26;
constexpr size_t kMaxVbriEntries = 65535;

uint32_t BigEndian(const uint8_t* bytes, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value = value << 8 | bytes[i];
  return value;
}

SeekMap StraightLine(int64_t firstFrame, int64_t end) {
  return {{.time = 0, .offset = firstFrame}, {.time = 1, .offset = std::max(end, firstFrame)}};
}

// The Xing table gives, for each whole percent of the time, the byte position in 256ths of
// the stream.
bool ReadXing(const uint8_t* frame, size_t available, const MpegFrameHeader& header,
              int64_t firstFrame, int64_t fileSize, SeekMap* map) {
  size_t at = kMpegHeaderBytes + size_t(header.sideInfoBytes);
  if (header.sideInfoBytes == 0 || available < at + 8) return false;
  if (std::memcmp(frame + at, "Xing", 4) != 0 && std::memcmp(frame + at, "Info", 4) != 0)
    return false;
  const uint32_t flags = BigEndian(frame + at + 4, 4);
  at += 8;
  if (flags & kXingFrames) at += 4;
  int64_t streamBytes = fileSize - firstFrame;
  if (flags & kXingBytes) {
    if (available < at + 4) return false;
    const int64_t stated = BigEndian(frame + at, 4);
    if (stated > 0 && stated <= streamBytes) streamBytes = stated;
    at += 4;
  }
  if (!(flags & kXingToc) || available < at + kXingTocEntries) return false;
  if (frame[at] != 0) return false;  // a table whose 0% is not the first frame lies
  map->clear();
  for (size_t percent = 0; percent < kXingTocEntries; ++percent) {
    const int64_t offset =
        firstFrame + int64_t(frame[at + percent] / kXingTocScale * double(streamBytes));
    if (!map->empty() && offset < map->back().offset) return false;  // a table that goes back lies
    map->push_back({.time = double(percent) / 100.0, .offset = offset});
  }
  map->push_back({.time = 1, .offset = firstFrame + streamBytes});
  return true;
}

// The VBRI table gives the bytes of each run of a fixed number of frames.
bool ReadVbri(const uint8_t* frame, size_t available, int64_t firstFrame, int64_t fileSize,
              SeekMap* map) {
  if (available < kVbriOffset + kVbriHeaderBytes) return false;
  const uint8_t* vbri = frame + kVbriOffset;
  if (std::memcmp(vbri, "VBRI", 4) != 0) return false;
  const int64_t totalFrames = BigEndian(vbri + 14, 4);
  const size_t entries = BigEndian(vbri + 18, 2), scale = BigEndian(vbri + 20, 2);
  const size_t entryBytes = BigEndian(vbri + 22, 2), framesPerEntry = BigEndian(vbri + 24, 2);
  if (totalFrames <= 0 || entries == 0 || entries > kMaxVbriEntries || entryBytes == 0 ||
      entryBytes > 4 || framesPerEntry == 0 ||
      available < kVbriOffset + kVbriHeaderBytes + entries * entryBytes)
    return false;
  map->assign(1, {.time = 0, .offset = firstFrame});
  int64_t offset = firstFrame, frames = 0;
  for (size_t i = 0; i < entries && frames < totalFrames; ++i) {
    offset +=
        int64_t(BigEndian(vbri + kVbriHeaderBytes + i * entryBytes, entryBytes)) * int64_t(scale);
    frames = std::min<int64_t>(frames + int64_t(framesPerEntry), totalFrames);
    if (offset > fileSize) return false;
    map->push_back({.time = double(frames) / double(totalFrames), .offset = offset});
  }
  if (map->back().time < 1) map->push_back({.time = 1, .offset = fileSize});
  return true;
}

// Linear between the two points around `value`, read through `from` and `to`.
template <typename From, typename To>
double Interpolate(const SeekMap& map, double value, From from, To to) {
  const auto after = std::upper_bound(map.begin(), map.end(), value,
                                      [&](double v, const SeekPoint& p) { return v < from(p); });
  if (after == map.begin()) return to(map.front());
  if (after == map.end()) return to(map.back());
  const SeekPoint& before = *(after - 1);
  const double span = from(*after) - from(before);
  const double share = span > 0 ? (value - from(before)) / span : 0;
  return to(before) + share * (to(*after) - to(before));
}

}  // namespace

SeekMap BuildSeekMap(const uint8_t* frame, size_t available, const MpegFrameHeader& header,
                     int64_t firstFrame, int64_t fileSize) {
  SeekMap map;
  if (ReadXing(frame, available, header, firstFrame, fileSize, &map) ||
      ReadVbri(frame, available, firstFrame, fileSize, &map))
    return map;
  return StraightLine(firstFrame, fileSize);
}

int64_t OffsetAtTime(const SeekMap& map, double time) {
  return int64_t(Interpolate(
      map, std::clamp(time, 0.0, 1.0), [](const SeekPoint& p) { return p.time; },
      [](const SeekPoint& p) { return double(p.offset); }));
}

double TimeAtOffset(const SeekMap& map, int64_t offset) {
  return Interpolate(
      map, double(offset), [](const SeekPoint& p) { return double(p.offset); },
      [](const SeekPoint& p) { return p.time; });
}
