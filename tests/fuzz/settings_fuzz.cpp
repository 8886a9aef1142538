// The settings record as the start-up library loads it from settings.bin. Properties: the two
// texts end within their buffers whatever the file holds; a record of the right size is taken
// as it is (but for those terminators), any other gives the defaults; what is stored loads back
// the same.
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/startup_library/startup_library.h"
#include "platform/files.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string home;

bool Terminated(const char16_t* text) {
  for (int i = 0; i < SETTINGS_PATH_CHARS; ++i)
    if (text[i] == 0) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/dev/shm/morvelant-fuzz-XXXXXX";
  char fallback[] = "/tmp/morvelant-fuzz-XXXXXX";
  const char* made = mkdtemp(pattern);
  home = made ? made : mkdtemp(fallback);
  setenv("MORVELANT_HOME", home.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteFileAtomic(home + "/settings.bin", data, size)) std::abort();
  PlayerSettings loaded;
  std::memset(&loaded, 0xA5, sizeof loaded);
  LoadPlayerSettings(&loaded);
  FUZZ_CHECK(Terminated(loaded.skinPath) && Terminated(loaded.lastItem));
  PlayerSettings expected;
  std::memset(&expected, 0xA5, sizeof expected);  // the bytes nothing writes stay as they were
  if (size == sizeof(PlayerSettings)) {
    std::memcpy(&expected, data, size);
    expected.skinPath[SETTINGS_PATH_CHARS - 1] = 0;
    expected.lastItem[SETTINGS_PATH_CHARS - 1] = 0;
  } else {
    DefaultPlayerSettings(&expected);
  }
  FUZZ_CHECK(std::memcmp(&loaded, &expected, sizeof loaded) == 0);
  FUZZ_CHECK(StorePlayerSettings(&loaded));
  PlayerSettings again;
  LoadPlayerSettings(&again);
  FUZZ_CHECK(std::memcmp(&loaded, &again, sizeof loaded) == 0);
  return 0;
}
