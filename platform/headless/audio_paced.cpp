// The paced sound outputs of the headless backend: a thread takes the queued sound at the
// format's byte rate, in real time, and throws it away (null) or appends it to a WAV file.
// Pacing restarts whenever the output ran dry or was paused, so no buffer is ever finished
// sooner than its own duration after it was queued.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/wave_out_internal.h"

namespace {

constexpr auto kPacePeriod = std::chrono::milliseconds(10);
constexpr uint32_t kWavHeaderSize = 44;

using Clock = std::chrono::steady_clock;

// Main thread opens and closes the output; WaveOutOpen/WaveOutClose start and stop the thread.
// The pacing thread alone uses `wav` while it runs.
std::FILE* wav = nullptr;
WaveFormat wavFormat{};
uint64_t wavDataBytes = 0;
std::thread pacer;
std::atomic<bool> pacing{false};

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

void Pace(WaveOutHandle device, uint32_t bytesPerSecond, uint32_t blockAlign) {
  std::vector<uint8_t> chunk;
  Clock::time_point base = Clock::now();
  uint64_t handed = 0;
  bool idle = true;
  while (pacing.load()) {
    std::this_thread::sleep_for(kPacePeriod);
    if (WaveOutPaused(device) || (idle && !WaveOutHasQueued(device))) {
      idle = true;
      continue;
    }
    const Clock::time_point now = Clock::now();
    if (idle) {  // sound has been queued since the last tick: its time starts now
      base = now;
      handed = 0;
      idle = false;
      continue;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - base).count();
    uint64_t due = static_cast<uint64_t>(elapsed) * bytesPerSecond / 1000000;
    due -= due % blockAlign;
    chunk.resize(due - handed);
    const size_t taken = PullWaveBytes(device, chunk.data(), chunk.size());
    if (wav && taken > 0 && std::fwrite(chunk.data(), 1, taken, wav) == taken)
      wavDataBytes += taken;
    handed += taken;
    idle = taken < chunk.size();
  }
}

bool StartPacing(WaveOutHandle device, const WaveFormat& format) {
  if (wav && wavFormat.formatTag == 0) {
    wavFormat = format;  // the file keeps the first format it was opened with
    WriteWavHeader();
  }
  pacing = true;
  pacer = std::thread(Pace, device, format.samplesPerSec * format.blockAlign, format.blockAlign);
  return true;
}

void StopPacing(WaveOutHandle) {
  pacing = false;
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
