#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex folderLock;
std::string executableFolderOverride;  // guarded by folderLock
std::atomic<long> writeFailureAfter{-1};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool WriteAll(int fd, const char* bytes, size_t size) {
  const long limit = writeFailureAfter.load();
  if (limit >= 0 && static_cast<long>(size) > limit) {
    if (limit > 0 && write(fd, bytes, limit) < 0) return false;
    errno = ENOSPC;
    return false;
  }
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

std::string ExecutableFolder() {
  {
    std::lock_guard<std::mutex> hold(folderLock);
    if (!executableFolderOverride.empty()) return executableFolderOverride;
  }
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return ".";
  return FolderOf(std::string(path, static_cast<size_t>(length)));
}

void SetExecutableFolder(const std::string& folder) {
  std::lock_guard<std::mutex> hold(folderLock);
  executableFolderOverride = folder;
}

std::string PlayerHome() {
  std::string home;
  if (const char* own = std::getenv("MORVELANT_HOME"); own && *own) {
    home = own;
  } else if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    home = std::string(config) + "/morvelant";
  } else {
    const char* user = std::getenv("HOME");
    home = std::string(user && *user ? user : "/tmp") + "/.config/morvelant";
  }
  MakeFolders(home);
  return home;
}

int OpenRegularFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

std::FILE* OpenRegularFileStream(const std::string& path) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return nullptr;
  std::FILE* stream = fdopen(fd, "rb");
  if (!stream) close(fd);
  return stream;
}

bool IsReadableRegularFile(const std::string& path) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return false;
  close(fd);
  return true;
}

bool ReadWholeFile(const std::string& path, std::string* contents, size_t limit) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return false;
  contents->clear();
  char buffer[65536];
  ssize_t got = 0;
  while ((got = read(fd, buffer, sizeof(buffer))) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || contents->size() + static_cast<size_t>(got) > limit) break;
    contents->append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return got == 0;
}

bool WriteFileAtomic(const std::string& path, const void* bytes, size_t size) {
  const std::string temporary = path + ".tmp." + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, static_cast<const char*>(bytes), size) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  // The rename is durable once the folder itself is synced.
  const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

void SetWriteFailureAfterBytes(long bytes) {
  writeFailureAfter = bytes;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}
