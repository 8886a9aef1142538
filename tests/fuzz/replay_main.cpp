// Runs a fuzz target's entry point over inputs without libFuzzer: every file of the folders (or
// the files) named on the command line, in name order. The suite replays each target's seeds
// and regressions this way. A folder that does not exist is skipped; no input at all fails.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& place) {
  std::vector<std::filesystem::path> inputs;
  if (std::filesystem::is_regular_file(place)) inputs.push_back(place);
  if (std::filesystem::is_directory(place))
    for (const auto& entry : std::filesystem::directory_iterator(place))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  int replayed = 0;
  for (int i = 1; i < argc; ++i)
    for (const auto& input : InputsOf(argv[i])) {
      std::ifstream file(input, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
      std::printf("%s\n", input.c_str());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  std::printf("%d inputs replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
