// Tarnic: plain file input. Every read goes straight to the file at the current position; a
// seek only moves that position. The tuning values of TarnicOpen are not used.
#include <type_traits>

#include "morvelant/input_library.h"
#include "plugins/tarnic/tarnic_file.h"

namespace {

// The one open file and its position; the reader's lock serialises every call.
TarnicFile file;
int64_t position = 0;

}  // namespace

extern "C" {

int32_t TarnicOpen(const char16_t* path, int32_t, int32_t, int32_t, int32_t) {
  CloseTarnicFile(&file);
  position = 0;
  if (!OpenTarnicFile(path, &file)) return 0;
  return TarnicOpenResult(file);
}

int32_t TarnicRead(uint8_t* destination, int32_t count) {
  if (!TarnicFileIsOpen(file) || !destination || count <= 0) return 0;
  const int32_t got = ReadTarnicFileAt(file, position, destination, count);
  position += got;
  return got;
}

int32_t TarnicSeek(int32_t offset, int32_t origin) {
  if (!TarnicFileIsOpen(file)) return -1;
  const int64_t target = TarnicSeekTarget(position, offset, origin);
  if (target < 0) return -1;
  position = target;
  return TarnicPositionResult(position);
}

int32_t TarnicClose(void) {
  CloseTarnicFile(&file);
  position = 0;
  return 1;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&TarnicOpen), TarnicOpenFunction>);
static_assert(std::is_same_v<decltype(&TarnicRead), TarnicReadFunction>);
static_assert(std::is_same_v<decltype(&TarnicSeek), TarnicSeekFunction>);
static_assert(std::is_same_v<decltype(&TarnicClose), TarnicCloseFunction>);
