#include "plugins/tarnic/tarnic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "morvelant/input_library.h"
#include "platform/text.h"

bool OpenTarnicFile(const char16_t* path, TarnicFile* file) {
  if (!path) return false;
  const std::string name = WideToUtf8(WideView(path));
  // Opened without blocking: a FIFO or a device must be refused, not waited on.
  const int descriptor = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return false;
  struct stat status;
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) {
    close(descriptor);
    return false;
  }
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  *file = {.descriptor = descriptor, .length = status.st_size};
  return true;
}

void CloseTarnicFile(TarnicFile* file) {
  if (file->descriptor >= 0) close(file->descriptor);
  *file = {};
}

bool TarnicFileIsOpen(const TarnicFile& file) {
  return file.descriptor >= 0;
}

int32_t ReadTarnicFileAt(const TarnicFile& file, int64_t offset, uint8_t* destination,
                         int32_t count) {
  int32_t done = 0;
  while (done < count) {
    const ssize_t got = pread(file.descriptor, destination + done, count - done, offset + done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<int32_t>(got);
  }
  return done;
}

int32_t TarnicOpenResult(const TarnicFile& file) {
  return TarnicPositionResult(file.length);
}

int64_t TarnicSeekTarget(int64_t current, int32_t offset, int32_t origin) {
  int64_t target = -1;
  if (origin == TARNIC_FROM_START) target = offset;
  if (origin == TARNIC_FROM_CURRENT) target = current + offset;
  return target < 0 ? -1 : target;
}

int32_t TarnicPositionResult(int64_t position) {
  return position > INT32_MAX ? INT32_MAX : static_cast<int32_t>(position);
}
