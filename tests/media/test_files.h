// Shared helpers of the media tests: crafted files in a temporary folder, the built-in reader
// opened on them through the real input libraries, and everything read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "morvelant/reader_interface.h"

// This process's temporary folder, removed at exit.
const std::string& TempFolder();
// Writes bytes to a file of that name in the temporary folder; returns its path.
std::string WriteTempFile(const std::string& name, const std::string& bytes);

struct OpenedAvi {
  ReaderOps ops{};
  MediaDescriptor* descriptor = nullptr;
  int32_t result = 0;
};
// Points the player's folder at build/dist, installs the built-in reader and opens the file.
OpenedAvi OpenAvi(const std::string& path, int32_t mode = READER_MODE_LOCAL);

struct ReadBack {
  std::vector<int32_t> packetSizes;  // every ReadVideoFrame result > = 0, in order
  std::string video;                 // the packets' bytes
  std::string audio;                 // all audio, read 4096 bytes at a time
};
// Reads every video packet (skip 0) until the end and all audio.
ReadBack ReadEverything(const OpenedAvi& avi);
