// The paced sound outputs of the headless backend: a thread takes the queued sound at the
// format's byte rate, in real time, and throws it away (null) or appends it to a WAV file.
// Pacing restarts whenever the output ran dry, was paused or was reset, so no buffer is ever
// finished sooner than its own duration after it was queued. The thread sleeps until the oldest
// buffer is due, so a buffer comes back on time and the thread wakes about once per buffer.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/wave_out_internal.h"

namespace {

constexpr auto kIdlePoll = std::chrono::milliseconds(10);
// Bounds a sleep, so a pause or a reset is seen soon even with long buffers at a low rate.
constexpr auto kLongestWait = std::chrono::milliseconds(50);
constexpr auto kShortestWait = std::chrono::milliseconds(1);
constexpr uint32_t kWavHeaderSize = 44;

using Clock = std::chrono::steady_clock;

// Main thread opens and closes the output; WaveOutOpen/WaveOutClose start and stop the thread.
// The pacing thread alone uses `wav` while it runs.
std::FILE* wav = nullptr;
WaveFormat wavFormat{};
uint64_t wavDataBytes = 0;
std::thread pacer;
std::mutex pacingLock;  // guards `pacing`: the main thread writes it, the pacing thread reads it
std::condition_variable pacingStopped;
bool pacing = false;

void PutLe(std::vector<uint8_t>* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Rewrites the header with the sizes so far, so the file is whole after every device close.
void WriteWavHeader() {
  std::vector<uint8_t> h;
  const uint32_t data = static_cast<uint32_t>(wavDataBytes);
  h.insert(h.end(), {'R', 'I', 'F', 'F'});
  PutLe(&h, data + kWavHeaderSize - 8, 4);
  h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe(&h, 16, 4);
  PutLe(&h, wavFormat.formatTag, 2);
  PutLe(&h, wavFormat.channels, 2);
  PutLe(&h, wavFormat.samplesPerSec, 4);
  PutLe(&h, wavFormat.samplesPerSec * wavFormat.blockAlign, 4);
  PutLe(&h, wavFormat.blockAlign, 2);
  PutLe(&h, wavFormat.bitsPerSample, 2);
  h.insert(h.end(), {'d', 'a', 't', 'a'});
  PutLe(&h, data, 4);
  std::fseek(wav, 0, SEEK_SET);
  std::fwrite(h.data(), 1, h.size(), wav);
  std::fseek(wav, 0, SEEK_END);
  std::fflush(wav);
}

// Sleeps for `wait` or until pacing stops; true while pacing goes on.
bool PaceOn(Clock::duration wait) {
  std::unique_lock<std::mutex> hold(pacingLock);
  return !pacingStopped.wait_for(hold, wait, [] { return !pacing; });
}

// The microseconds, counted from the start of pacing, at which `bytes` have become due.
uint64_t MicrosecondsUntilDue(uint64_t bytes, uint32_t bytesPerSecond) {
  return (bytes * 1000000 + bytesPerSecond - 1) / bytesPerSecond;
}

void Pace(WaveOutHandle device, uint32_t bytesPerSecond, uint32_t blockAlign) {
  std::vector<uint8_t> chunk;
  Clock::time_point base = Clock::now();
  uint64_t handed = 0;
  uint32_t resets = 0;
  bool idle = true;
  Clock::duration wait = kIdlePoll;
  while (PaceOn(wait)) {
    wait = kIdlePoll;
    const WaveOutQueueState state = WaveOutQueueStateOf(device);
    if (state.paused || state.resets != resets || (idle && state.frontBytesLeft == 0)) {
      resets = state.resets;
      idle = true;
      continue;
    }
    const Clock::time_point now = Clock::now();
    if (idle) {  // sound has been queued since the last look: its time starts now
      base = now;
      handed = 0;
      idle = false;
    } else {
      const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - base);
      uint64_t due = static_cast<uint64_t>(elapsed.count()) * bytesPerSecond / 1000000;
      due -= due % blockAlign;
      chunk.resize(due - handed);
      const size_t taken = PullWaveBytes(device, chunk.data(), chunk.size());
      if (wav && taken > 0 && std::fwrite(chunk.data(), 1, taken, wav) == taken)
        wavDataBytes += taken;
      handed += taken;
      idle = taken < chunk.size();
      if (idle) continue;
    }
    const uint64_t frontEnd = handed + WaveOutQueueStateOf(device).frontBytesLeft;
    const auto dueAt =
        base + std::chrono::microseconds(MicrosecondsUntilDue(frontEnd, bytesPerSecond));
    wait = std::clamp<Clock::duration>(dueAt - Clock::now(), kShortestWait, kLongestWait);
  }
}

bool StartPacing(WaveOutHandle device, const WaveFormat& format) {
  if (wav && wavFormat.formatTag == 0) {
    wavFormat = format;  // the file keeps the first format it was opened with
    WriteWavHeader();
  }
  {
    std::lock_guard<std::mutex> hold(pacingLock);
    pacing = true;
  }
  pacer = std::thread(Pace, device, format.samplesPerSec * format.blockAlign, format.blockAlign);
  return true;
}

void StopPacing(WaveOutHandle) {
  {
    std::lock_guard<std::mutex> hold(pacingLock);
    pacing = false;
  }
  pacingStopped.notify_all();
  if (pacer.joinable()) pacer.join();
  if (wav) WriteWavHeader();
}

const SoundOutput kNullOutput{.name = "null", .start = StartPacing, .stop = StopPacing};
const SoundOutput kWavOutput{.name = "wav", .start = StartPacing, .stop = StopPacing};

}  // namespace

const SoundOutput* OpenPacedOutput(const std::string& file) {
  wavFormat = {};
  wavDataBytes = 0;
  if (file.empty()) return &kNullOutput;
  wav = std::fopen(file.c_str(), "w+b");
  if (wav) return &kWavOutput;
  std::fprintf(stderr, "morvelant: the sound file %s cannot be written\n", file.c_str());
  return nullptr;
}

void ClosePacedOutput() {
  if (wav) std::fclose(wav);
  wav = nullptr;
}
