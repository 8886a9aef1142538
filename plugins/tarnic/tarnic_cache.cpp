// TarnicCache: cached file input for playback. Playback reads the file as many small
// seek-then-read pairs that move forward through the movie data in two streams a little apart
// (video packets and the audio running ahead of them). Two read-ahead windows follow them: a
// read inside a window costs no system call, a read at or a little past a window's end refills
// that window with twice as much as last time, and any other read refills the window used least
// recently.
//
// Tuning values of TarnicOpen:
//   first:  the read-ahead memory in bytes, shared equally by the two windows (at most 64 MiB).
//           0 or less: no read-ahead, every read goes to the file. The reader's first open
//           passes -1: it reads chunk headers and the index once, where read-ahead would only
//           fetch movie data that is skipped.
//   second: the first read-ahead of a window after a jump, in bytes (at least 4 KiB, at most
//           the window). 0 or less: 64 KiB. The reader passes its Open parameter here.
#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "morvelant/input_library.h"
#include "plugins/tarnic/tarnic_file.h"

namespace {

constexpr int kWindowCount = 2;
constexpr int64_t kMaxCacheBytes = 64 << 20;
constexpr int32_t kMinReadAhead = 4096;
constexpr int32_t kDefaultFirstReadAhead = 64 * 1024;

struct ReadAheadWindow {
  std::vector<uint8_t> bytes;  // windowBytes long while a file is open with read-ahead
  int64_t start = 0;
  int32_t fill = 0;       // valid bytes from start
  int32_t readAhead = 0;  // size of this window's next refill
  uint64_t lastUse = 0;
};

// The one open file, its position and the windows; the reader's lock serialises every call.
TarnicFile file;
int64_t position = 0;
ReadAheadWindow windows[kWindowCount];
int32_t windowBytes = 0;  // 0 = no read-ahead
int32_t firstReadAhead = 0;
uint64_t useClock = 0;

void ConfigureWindows(int32_t cacheBytes, int32_t firstRefill) {
  windowBytes = 0;
  if (cacheBytes > 0) {
    const int64_t total =
        std::clamp<int64_t>(cacheBytes, kWindowCount * kMinReadAhead, kMaxCacheBytes);
    windowBytes = static_cast<int32_t>(total / kWindowCount);
  }
  firstReadAhead = firstRefill > 0 ? firstRefill : kDefaultFirstReadAhead;
  firstReadAhead = std::clamp(firstReadAhead, kMinReadAhead, std::max(windowBytes, kMinReadAhead));
  for (ReadAheadWindow& window : windows) {
    window = {};
    if (windowBytes > 0) window.bytes.resize(static_cast<size_t>(windowBytes));
  }
}

ReadAheadWindow* WindowHolding(int64_t at) {
  for (ReadAheadWindow& window : windows)
    if (window.fill > 0 && at >= window.start && at < window.start + window.fill) return &window;
  return nullptr;
}

// A read at or a little past a window's end continues that window with a doubled read-ahead;
// any other read restarts the least recently used window there.
ReadAheadWindow* RefillAt(int64_t at) {
  ReadAheadWindow* chosen = nullptr;
  for (ReadAheadWindow& window : windows) {
    const int64_t end = window.start + window.fill;
    if (window.fill > 0 && at >= end && at - end < window.readAhead) chosen = &window;
  }
  if (chosen) {
    chosen->readAhead = std::min(chosen->readAhead * 2, windowBytes);
  } else {
    chosen = &windows[0];
    for (ReadAheadWindow& window : windows)
      if (window.lastUse < chosen->lastUse) chosen = &window;
    chosen->readAhead = firstReadAhead;
  }
  chosen->start = at;
  chosen->fill = ReadTarnicFileAt(file, at, chosen->bytes.data(), chosen->readAhead);
  return chosen;
}

int32_t ReadDirect(uint8_t* destination, int32_t count) {
  const int32_t got = ReadTarnicFileAt(file, position, destination, count);
  position += got;
  return got;
}

}  // namespace

extern "C" {

int32_t TarnicClose(void) {
  CloseTarnicFile(&file);
  position = 0;
  ConfigureWindows(0, 0);
  return 1;
}

int32_t TarnicOpen(const char16_t* path, int32_t, int32_t, int32_t tuning1, int32_t tuning2) {
  TarnicClose();
  if (!OpenTarnicFile(path, &file)) return 0;
  ConfigureWindows(tuning1, tuning2);
  return TarnicOpenResult(file);
}

int32_t TarnicRead(uint8_t* destination, int32_t count) {
  if (!TarnicFileIsOpen(file) || !destination || count <= 0) return 0;
  int32_t delivered = 0;
  while (delivered < count) {
    const int32_t wanted = count - delivered;
    ReadAheadWindow* window = WindowHolding(position);
    if (!window) {
      // Large reads gain nothing from a copy through a window.
      if (windowBytes == 0 || wanted >= windowBytes)
        return delivered + ReadDirect(destination + delivered, wanted);
      window = RefillAt(position);
      if (window->fill == 0) break;  // end of the file
    }
    const int32_t take =
        static_cast<int32_t>(std::min<int64_t>(wanted, window->start + window->fill - position));
    std::memcpy(destination + delivered, window->bytes.data() + (position - window->start), take);
    window->lastUse = ++useClock;
    position += take;
    delivered += take;
  }
  return delivered;
}

int32_t TarnicSeek(int32_t offset, int32_t origin) {
  if (!TarnicFileIsOpen(file)) return -1;
  const int64_t target = TarnicSeekTarget(position, offset, origin);
  if (target < 0) return -1;
  position = target;
  return TarnicPositionResult(position);
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&TarnicOpen), TarnicOpenFunction>);
static_assert(std::is_same_v<decltype(&TarnicRead), TarnicReadFunction>);
static_assert(std::is_same_v<decltype(&TarnicSeek), TarnicSeekFunction>);
static_assert(std::is_same_v<decltype(&TarnicClose), TarnicCloseFunction>);
