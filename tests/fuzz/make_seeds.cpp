// Writes the fuzz targets' structural seeds: AVI layouts from the test AVI writer (interleaved,
// OpenDML parts, no index, offsets from the file start, odd sizes) and a default settings
// record. tools/make-fuzz-seeds.sh runs it beside the seeds that ffmpeg and ImageMagick make.
// Usage: make_fuzz_seeds SEEDS_FOLDER
#include <cstdio>
#include <string>

#include "app/startup_library/startup_library.h"
#include "tests/support/avi_writer.h"

namespace {

bool Write(const std::string& path, const std::string& bytes) {
  if (WriteBytes(path, bytes)) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

bool WriteAviSeeds(const std::string& folder) {
  AviLayout plain = InterleavedAvi(6, 3, 40, 24);
  AviLayout openDml = InterleavedAvi(9, 3, 30, 16);
  openDml.openDmlPartChunks = 6;
  AviLayout fromStart = InterleavedAvi(4, 2, 17, 9);
  fromStart.offsets = IndexOffsets::FromFileStart;
  fromStart.junkBeforeMovi = 33;
  AviLayout unindexed = InterleavedAvi(3, 1, 20, 0);
  unindexed.writeIndex = false;
  AviLayout twoAudio = InterleavedAvi(3, 1, 8, 8);
  twoAudio.streams.push_back(AudioStream(1, 24));
  for (int i = 0; i < 3; ++i) twoAudio.chunks.push_back({.id = "02wb", .size = 8});
  const struct {
    const char* name;
    const AviLayout& layout;
  } seeds[] = {{"plain.avi", plain},
               {"opendml.avi", openDml},
               {"from_start.avi", fromStart},
               {"unindexed.avi", unindexed},
               {"two_audio.avi", twoAudio}};
  for (const auto& seed : seeds)
    if (!Write(folder + "/avi_reader/" + seed.name, BuildAvi(seed.layout).bytes) ||
        !Write(folder + "/avi_parser/" + seed.name, BuildAvi(seed.layout).bytes))
      return false;
  return true;
}

bool WriteSettingsSeeds(const std::string& folder) {
  PlayerSettings settings{};
  DefaultPlayerSettings(&settings);
  const std::string record(reinterpret_cast<const char*>(&settings), sizeof settings);
  return Write(folder + "/settings/default.bin", record) &&
         Write(folder + "/settings/short.bin", record.substr(0, 100));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds SEEDS_FOLDER\n");
    return 2;
  }
  return WriteAviSeeds(argv[1]) && WriteSettingsSeeds(argv[1]) ? 0 : 1;
}
