// What the reader plug-in tests share: the media the build made, a reader library loaded from
// the player's folder and driven through its table, the probe run as a user runs it, and
// ffmpeg's own decode of a file to compare with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "morvelant/reader_interface.h"

// The path of a file made by make-reader-media.sh.
std::string ReaderMedia(const std::string& name);
// A copy of `bytes` in a file of the test's temporary folder; its path.
std::string WriteTemporaryFile(const std::string& name, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// A FIFO nobody writes to and a folder, both named like a media file; their paths.
std::vector<std::string> SpecialFilesNamed(const std::string& name);

// A reader plug-in from the player's folder, initialised; closed and unloaded at destruction.
struct LoadedReader {
  void* library = nullptr;
  ReaderOps ops{};
  MediaDescriptor* descriptor = nullptr;
  explicit LoadedReader(const std::string& fileName);
  ~LoadedReader();
  bool Open(const std::string& path, int32_t mode = READER_MODE_LOCAL, int32_t parameter = 0);
};

struct ProbeRun {
  int status = -1;
  std::string output;
};
// morvelant-probe with the player's default registry; `out` is the OUT argument when not empty.
ProbeRun Probe(const std::string& command, const std::string& file, const std::string& out = "");
// The value of "key=" in the probe's output, or "" when the line is missing.
std::string ProbeValue(const std::string& output, const std::string& key);

// 16-bit samples of a WAV the probe wrote (past its 44-byte header).
std::vector<int16_t> WaveSamples(const std::string& path);
// ffmpeg's decode of the first audio stream, as 16-bit samples at the stream's own format.
std::vector<int16_t> FfmpegSamples(const std::string& path, const std::string& extraArgs = "");
// Signal to noise ratio in dB of `ours` against `reference`, over their common length; an
// infinite result means the samples are equal.
double SnrDb(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference);
