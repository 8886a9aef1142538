#include "tests/readers/reader_fixture.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

std::string RunCapturing(const std::string& line, int* status) {
  std::string output;
  std::FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return output;
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, got);
  const int raw = pclose(pipe);
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

std::vector<int16_t> Samples(const std::string& bytes, size_t from) {
  std::vector<int16_t> samples((bytes.size() - std::min(from, bytes.size())) / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(uint8_t(bytes[from + 2 * i]) | uint8_t(bytes[from + 2 * i + 1]) << 8);
  return samples;
}

const std::string& TemporaryFolder() {
  static const std::string* folder = [] {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/readers-XXXXXX";
    auto* made = new std::string(mkdtemp(pattern.data()));
    std::atexit([] { std::filesystem::remove_all(TemporaryFolder()); });
    return made;
  }();
  return *folder;
}

}  // namespace

std::string ReaderMedia(const std::string& name) {
  return std::string(READER_MEDIA) + "/" + name;
}

std::string WriteTemporaryFile(const std::string& name, const std::string& bytes) {
  const std::string path = TemporaryFolder() + "/" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::vector<std::string> SpecialFilesNamed(const std::string& name) {
  const std::string fifo = TemporaryFolder() + "/fifo-" + name;
  const std::string folder = TemporaryFolder() + "/folder-" + name;
  std::filesystem::remove(fifo);
  mkfifo(fifo.c_str(), 0600);
  std::filesystem::create_directories(folder);
  return {fifo, folder};
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

LoadedReader::LoadedReader(const std::string& fileName) {
  library = dlopen((std::string(MORVELANT_DIST_DIR) + "/" + fileName).c_str(), RTLD_NOW);
  auto initialize =
      library ? reinterpret_cast<InitializeReaderFunction>(dlsym(library, "InitializeReader"))
              : nullptr;
  if (initialize) initialize(&ops);
}

LoadedReader::~LoadedReader() {
  if (ops.Close) ops.Close();
  if (library) dlclose(library);
}

bool LoadedReader::Open(const std::string& path, int32_t mode, int32_t parameter) {
  if (!ops.Open) return false;
  std::u16string wide(path.begin(), path.end());
  return ops.Open(wide.c_str(), mode, parameter, &descriptor) != 0;
}

ProbeRun Probe(const std::string& command, const std::string& file, const std::string& out) {
  ProbeRun run;
  const std::string line = "env -u MORVELANT_HOME " MORVELANT_DIST_DIR "/morvelant-probe " +
                           command + " '" + file + "'" + (out.empty() ? "" : " '" + out + "'");
  run.output = RunCapturing(line, &run.status);
  return run;
}

std::string ProbeValue(const std::string& output, const std::string& key) {
  const std::string start = key + "=";
  const size_t at = output.rfind("\n" + start) != std::string::npos
                        ? output.rfind("\n" + start) + 1
                        : (output.rfind(start, 0) == 0 ? 0 : std::string::npos);
  if (at == std::string::npos) return "";
  const size_t end = output.find('\n', at);
  return output.substr(at + start.size(), end - at - start.size());
}

std::vector<int16_t> WaveSamples(const std::string& path) {
  return Samples(ReadBytes(path), 44);
}

std::vector<int16_t> FfmpegSamples(const std::string& path, const std::string& extraArgs) {
  int status = -1;
  const std::string bytes = RunCapturing(
      "ffmpeg -nostdin -v error -i '" + path + "' -map 0:a:0 " + extraArgs + " -f s16le -",
      &status);
  return status == 0 ? Samples(bytes, 0) : std::vector<int16_t>{};
}

double SnrDb(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference) {
  const size_t count = std::min(ours.size(), reference.size());
  double signal = 0, noise = 0;
  for (size_t i = 0; i < count; ++i) {
    signal += double(reference[i]) * reference[i];
    noise += double(ours[i] - reference[i]) * (ours[i] - reference[i]);
  }
  if (noise == 0) return std::numeric_limits<double>::infinity();
  return 10 * std::log10(signal / noise);
}
