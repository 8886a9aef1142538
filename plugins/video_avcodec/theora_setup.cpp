#include "plugins/video_avcodec/theora_setup.h"

#include <cstring>

namespace {

constexpr uint8_t kFirstHeaderType = 0x80;  // then 0x81 (comment) and 0x82 (tables)
constexpr int kHeaders = 3;
constexpr char kMark[] = "theora";
constexpr size_t kMarkBytes = sizeof kMark - 1;

}  // namespace

size_t TheoraSetupBytes(const uint8_t* data, size_t size) {
  size_t at = 0;
  for (int header = 0; header < kHeaders; ++header) {
    if (size - at < 2) return 0;
    const size_t length = size_t{data[at]} << 8 | data[at + 1];
    at += 2;
    if (length < 1 + kMarkBytes || length > size - at) return 0;
    if (data[at] != kFirstHeaderType + header || std::memcmp(data + at + 1, kMark, kMarkBytes) != 0)
      return 0;
    at += length;
  }
  return at;
}
