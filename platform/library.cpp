#include "platform/library.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace {

thread_local std::string lastError;

#if defined(__x86_64__)
constexpr uint16_t kThisMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr uint16_t kThisMachine = EM_AARCH64;
#elif defined(__arm__)
constexpr uint16_t kThisMachine = EM_ARM;
#elif defined(__i386__)
constexpr uint16_t kThisMachine = EM_386;
#else
#error "the machine of this build has no ELF machine code here"
#endif
constexpr unsigned char kThisClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
// More program headers than any real library has: a header claiming them is damage.
constexpr uint16_t kMaxProgramHeaders = 256;

bool Fail(const std::string& why) {
  lastError = why;
  return false;
}

bool ReadExactly(int fd, off_t offset, void* destination, size_t count) {
  return pread(fd, destination, count, offset) == static_cast<ssize_t>(count);
}

// Every segment the loader maps must lie inside the file: the system loader takes a cut-short
// library's word for it and dies of SIGBUS when it touches the missing pages.
bool SegmentsInside(int fd, const ElfW(Ehdr) & header, off_t fileSize, const std::string& file) {
  if (header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum == 0 ||
      header.e_phnum > kMaxProgramHeaders)
    return Fail(file + ": damaged ELF program headers");
  std::vector<ElfW(Phdr)> segments(header.e_phnum);
  if (!ReadExactly(fd, static_cast<off_t>(header.e_phoff), segments.data(),
                   segments.size() * sizeof(ElfW(Phdr))))
    return Fail(file + ": not a complete library (cut short)");
  for (const ElfW(Phdr) & segment : segments)
    if (segment.p_offset > static_cast<uint64_t>(fileSize) ||
        segment.p_filesz > static_cast<uint64_t>(fileSize) - segment.p_offset)
      return Fail(file + ": not a complete library (cut short)");
  return true;
}

// A complete shared object of this machine's kind, checked before the system loader sees it.
bool IsLoadableElf(const std::string& file) {
  const int fd = OpenRegularFile(file);
  if (fd < 0) return Fail(file + ": not a regular file");
  struct stat info {};
  ElfW(Ehdr) header{};
  bool ok = fstat(fd, &info) == 0 && ReadExactly(fd, 0, &header, sizeof header);
  if (!ok || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
    ok = Fail(file + ": not an ELF library");
  } else if (header.e_ident[EI_CLASS] != kThisClass || header.e_machine != kThisMachine ||
             header.e_type != ET_DYN) {
    ok = Fail(file + ": a library for another kind of machine");
  } else {
    ok = SegmentsInside(fd, header, info.st_size, file);
  }
  close(fd);
  return ok;
}

void* Open(const std::string& file) {
  if (!IsLoadableElf(file)) return nullptr;
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) lastError = dlerror();
  return handle;
}

void* OpenFirst(const std::string& file) {
  if (file.find('/') != std::string::npos) return Open(file);
  const std::string folder = ExecutableFolder();
  for (const std::string& candidate : {folder + "/" + file, folder + "/plugins/" + file})
    if (FileExists(candidate)) return Open(candidate);
  lastError = file + ": not found in " + folder + " or its plugins folder";
  return nullptr;
}

}  // namespace

std::string LibraryFileName(std::u16string_view name) {
  std::string file = WideToUtf8(name);
  if (file.size() >= 4 && WideLower(name.substr(name.size() - 4)) == u".dll") {
    file.replace(file.size() - 4, 4, ".so");
  }
  return file;
}

LibraryHandle LoadLibrary(std::u16string_view name) {
  lastError.clear();
  const std::string file = LibraryFileName(name);
  if (file.empty()) {
    lastError = "empty library name";
    return nullptr;
  }
  return static_cast<LibraryHandle>(OpenFirst(file));
}

void* GetProcAddress(LibraryHandle library, const char* exportName) {
  return library ? dlsym(library, exportName) : nullptr;
}

void FreeLibrary(LibraryHandle library) {
  if (library) dlclose(library);
}

std::string LibraryLoadError() {
  return lastError;
}
