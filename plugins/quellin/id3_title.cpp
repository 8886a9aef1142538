#include "plugins/quellin/id3_title.h"

#include <cstdint>

namespace {

constexpr char kUtf8Encoding = 3;
constexpr char kSeparator[] = " - ";
constexpr size_t kMaxFrameText = 1000;

std::string SyncSafe(size_t value) {
  std::string bytes(4, '\0');
  for (int i = 3; i >= 0; --i, value >>= 7) bytes[size_t(i)] = char(value & 0x7F);
  return bytes;
}

std::string TextFrame(const char* id, const std::string& text) {
  const std::string body = kUtf8Encoding + text.substr(0, kMaxFrameText);
  return std::string(id, 4) + SyncSafe(body.size()) + std::string(2, '\0') + body;
}

}  // namespace

std::string Id3TitleTag(const std::string& streamTitle) {
  const size_t split = streamTitle.find(kSeparator);
  const std::string frames =
      split == std::string::npos
          ? TextFrame("TIT2", streamTitle)
          : TextFrame("TPE1", streamTitle.substr(0, split)) +
                TextFrame("TIT2", streamTitle.substr(split + sizeof kSeparator - 1));
  return std::string("ID3\x04\x00\x00", 6) + SyncSafe(frames.size()) + frames;
}
