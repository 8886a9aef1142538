#include "platform/library.h"

#include <dlfcn.h>

#include "platform/files.h"
#include "platform/text.h"

namespace {

thread_local std::string lastError;

void* OpenFirst(const std::string& file) {
  if (file.find('/') != std::string::npos) return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  const std::string folder = ExecutableFolder();
  for (const std::string& candidate : {folder + "/" + file, folder + "/plugins/" + file}) {
    if (!FileExists(candidate)) continue;
    if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    lastError = dlerror();
    return nullptr;
  }
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
  void* handle = OpenFirst(file);
  if (!handle && lastError.empty()) lastError = dlerror();
  return static_cast<LibraryHandle>(handle);
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
