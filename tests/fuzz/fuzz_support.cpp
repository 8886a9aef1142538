#include "tests/fuzz/fuzz_support.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

std::string MemoryFileWith(const uint8_t* bytes, size_t size) {
  static const int fd = memfd_create("fuzz-input", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, 0) != 0) std::abort();
  size_t written = 0;
  while (written < size) {
    const ssize_t n = pwrite(fd, bytes + written, size - written, static_cast<off_t>(written));
    if (n <= 0) std::abort();
    written += static_cast<size_t>(n);
  }
  return "/proc/self/fd/" + std::to_string(fd);
}

void KeepPluginsLoaded(std::initializer_list<const char*> files) {
  for (const char* file : files)
    if (!dlopen((std::string(MORVELANT_DIST_DIR) + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL)) {
      std::fprintf(stderr, "%s\n", dlerror());
      std::abort();
    }
}

void PropertyFailed(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
  std::abort();
}
