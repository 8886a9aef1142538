#include "tests/fuzz/fuzz_support.h"

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

void PropertyFailed(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
  std::abort();
}
