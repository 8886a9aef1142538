#include "plugins/reader_mpeg/mpeg_frames.h"

#include <vector>

namespace {

// A frame at `at` of `window` whose successor agrees with it, or that ends the file exactly.
bool FrameChainsAt(const std::vector<uint8_t>& window, size_t at, int64_t windowStart,
                   int64_t fileSize, uint32_t fixedBits, MpegFrameHeader* header) {
  if (at + kMpegHeaderBytes > window.size() || !ParseMpegFrameHeader(&window[at], header) ||
      (fixedBits != 0 && header->fixedBits != fixedBits))
    return false;
  const size_t next = at + size_t(header->frameBytes);
  if (windowStart + int64_t(next) >= fileSize) return windowStart + int64_t(next) == fileSize;
  MpegFrameHeader following;
  return next + kMpegHeaderBytes <= window.size() &&
         ParseMpegFrameHeader(&window[next], &following) &&
         following.fixedBits == header->fixedBits;
}

// The first chaining frame in the window at `start`, or -1.
int64_t SearchWindow(std::FILE* file, int64_t fileSize, int64_t start, uint32_t fixedBits,
                     MpegFrameHeader* header) {
  std::vector<uint8_t> window(static_cast<size_t>(kFrameSearchBytes));
  window.resize(ReadAt(file, start, window.data(), window.size()));
  for (size_t at = 0; at + kMpegHeaderBytes <= window.size(); ++at)
    if (FrameChainsAt(window, at, start, fileSize, fixedBits, header)) return start + int64_t(at);
  return -1;
}

}  // namespace

size_t ReadAt(std::FILE* file, int64_t offset, uint8_t* destination, size_t count) {
  if (offset < 0 || fseeko(file, off_t(offset), SEEK_SET) != 0) return 0;
  return std::fread(destination, 1, count, file);
}

int64_t FindFirstFrame(std::FILE* file, int64_t fileSize, MpegFrameHeader* header) {
  int64_t start = 0;
  uint8_t tag[kId3HeaderBytes];
  while (ReadAt(file, start, tag, sizeof tag) == sizeof tag) {
    const size_t tagBytes = Id3v2TagBytes(tag);
    if (tagBytes == 0) break;
    start += int64_t(tagBytes);
  }
  if (start >= fileSize) return -1;
  return SearchWindow(file, fileSize, start, 0, header);
}

int64_t AlignToFrame(std::FILE* file, int64_t fileSize, int64_t offset, uint32_t fixedBits) {
  MpegFrameHeader header;
  const int64_t found = SearchWindow(file, fileSize, offset, fixedBits, &header);
  return found < 0 ? offset : found;
}
