// What the fuzz targets share: the input as a file the input libraries can open, and a check
// that aborts (so both libFuzzer and the suite's replay report it) when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A file in memory (memfd) holding `bytes`, rewritten on every call; its path opens like any
// regular file's. One per process.
std::string MemoryFileWith(const uint8_t* bytes, size_t size);

// Prints the failed property and aborts.
[[noreturn]] void PropertyFailed(const char* what, const char* file, int line);
#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : PropertyFailed(#condition, __FILE__, __LINE__))
