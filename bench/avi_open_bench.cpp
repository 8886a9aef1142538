// Opening an AVI file whose idx1 holds 1,000,000 entries: the built-in reader's Open (header
// walk, index tables, reopen) side by side with what a user would run instead to learn the same
// file's length, `ffprobe -v error -show_entries format=duration`. Both are timed in wall-clock
// time, as ffprobe runs in a child process. The reader's memory per index entry is measured on
// the heap after Open. The goal: the reader opens the file in under a fifth of ffprobe's time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <string>

#include "media/avi_reader.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tests/support/avi_writer.h"

extern char** environ;

namespace {

constexpr int32_t kFrames = 500000;  // one video and one audio entry each: 1,000,000 entries
constexpr int64_t kIndexEntries = 2 * int64_t{kFrames};
constexpr double kGoalRatio = 0.2;

const std::string& TestFile() {
  static const std::string path = [] {
    const std::string file = std::string(MORVELANT_BENCH_DIR) + "/avi_1m_index_entries.avi";
    if (!FileExists(file)) WriteBytes(file, BuildAvi(InterleavedAvi(kFrames, 250, 16, 8)).bytes);
    return file;
  }();
  return path;
}

void ReaderOpen(benchmark::State& state) {
  SetExecutableFolder(MORVELANT_DIST_DIR);
  ReaderOps ops{};
  InstallAviReader(&ops);
  const std::u16string path = Utf8ToWide(TestFile());
  MediaDescriptor* descriptor = nullptr;
  double bytesPerEntry = 0;
  for (auto _ : state) {
    const size_t before = mallinfo2().uordblks;
    if (!ops.Open(path.c_str(), READER_MODE_LOCAL, 0, &descriptor)) state.SkipWithError("Open");
    bytesPerEntry = double(mallinfo2().uordblks - before) / kIndexEntries;
    benchmark::DoNotOptimize(descriptor->FrameCount);
    ops.Close();
  }
  state.counters["bytes_per_entry"] = bytesPerEntry;
}

void FfprobeDuration(benchmark::State& state) {
  const std::string file = TestFile();
  const char* argv[] = {"ffprobe", "-v",      "error",      "-show_entries", "format=duration",
                        "-of",     "csv=p=0", file.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int output : {1, 2})
    posix_spawn_file_actions_addopen(&actions, output, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t child;
    if (posix_spawnp(&child, "ffprobe", &actions, nullptr, const_cast<char**>(argv), environ) != 0)
      state.SkipWithError("ffprobe cannot be started");
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("ffprobe failed");
  }
  posix_spawn_file_actions_destroy(&actions);
}

BENCHMARK(ReaderOpen)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(FfprobeDuration)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// Prints the usual table, then the ratio the reader is held to.
struct GoalReporter : benchmark::ConsoleReporter {
  GoalReporter() : ConsoleReporter(OO_Tabular) {}
  std::map<std::string, double> milliseconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      milliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  GoalReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double reader = reporter.milliseconds["ReaderOpen"];
  const double ffprobe = reporter.milliseconds["FfprobeDuration"];
  if (reader > 0 && ffprobe > 0)
    std::printf("goal: reader Open / ffprobe = %.3f (< %.1f: %s)\n", reader / ffprobe, kGoalRatio,
                reader / ffprobe < kGoalRatio ? "met" : "MISSED");
  benchmark::Shutdown();
  return 0;
}
