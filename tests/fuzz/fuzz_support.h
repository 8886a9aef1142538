// What the fuzz targets share: the input as a file the input libraries can open, and a check
// that aborts (so both libFuzzer and the suite's replay report it) when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

// A file in memory (memfd) holding `bytes`, rewritten on every call; its path opens like any
// regular file's. One per process.
std::string MemoryFileWith(const uint8_t* bytes, size_t size);

// Loads plug-ins of the build's dist folder for the life of the process. libFuzzer keeps the
// coverage counters of every instrumented library it has seen, so a plug-in that the code under
// test loads and unloads per input must never really be unloaded.
void KeepPluginsLoaded(std::initializer_list<const char*> files);

// Prints the failed property and aborts.
[[noreturn]] void PropertyFailed(const char* what, const char* file, int line);
#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : PropertyFailed(#condition, __FILE__, __LINE__))
