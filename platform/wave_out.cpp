// The wave-out device core: the queue of headers, pause, reset, volume and refusals. The
// chosen sound output pulls bytes from it on its own thread.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <shared_mutex>

#include "platform/journal.h"
#include "platform/wave_out_internal.h"

struct WaveOut {
  WaveFormat format;
  WaveOutCallback callback;
  uintptr_t instance;
  const SoundOutput* output;      // the output that plays this device
  std::mutex lock;                // guards the fields below
  std::deque<WaveHeader*> queue;  // written, not yet done
  uint32_t offset = 0;            // bytes of queue.front() already handed out
  bool paused = false;
  uint32_t resets = 0;  // counts WaveOutReset calls
};

namespace {

constexpr uint32_t kMinimumRate = 8000;
constexpr uint32_t kMaximumRate = 48000;
constexpr uint32_t kFullVolume = 0xFFFFFFFF;

std::mutex openCloseLock;  // serialises opening and closing (held while the
                           // output starts or stops its thread)
std::mutex devicesLock;    // guards openDevice, output and refusals
// Every call on a device holds this shared, side by side with calls from other threads; a close
// holds it alone, so a device is never freed under a call another thread is making on it.
std::shared_mutex lifetimeLock;
WaveOut* openDevice = nullptr;
const SoundOutput* output = nullptr;
std::deque<uint32_t> refusals;
std::atomic<uint32_t> volumeWord{kFullVolume};  // main thread writes; sound thread reads

bool FormatSupported(const WaveFormat* f) {
  return f && f->formatTag == WAVE_FORMAT_PCM && (f->channels == 1 || f->channels == 2) &&
         f->bitsPerSample == 16 && f->blockAlign == f->channels * 2 &&
         f->samplesPerSec >= kMinimumRate && f->samplesPerSec <= kMaximumRate;
}

bool IsOpen(WaveOutHandle device) {
  std::lock_guard<std::mutex> hold(devicesLock);
  return device && device == openDevice;
}

// Scales whole 16-bit sample frames by the device-0 volume.
void ApplyVolume(uint8_t* bytes, size_t count, uint16_t channels) {
  const uint32_t word = volumeWord.load();
  if (word == kFullVolume) return;
  const int32_t gains[2] = {static_cast<int32_t>(word & 0xFFFF), static_cast<int32_t>(word >> 16)};
  for (size_t i = 0; i + 1 < count; i += 2) {
    int16_t sample;
    std::memcpy(&sample, bytes + i, 2);
    const int32_t gain = gains[channels == 2 ? (i / 2) % 2 : 0];
    sample = static_cast<int16_t>(sample * gain / 65535);
    std::memcpy(bytes + i, &sample, 2);
  }
}

void ReportDone(WaveOutHandle device, const std::vector<WaveHeader*>& done) {
  for (WaveHeader* header : done) {
    header->flags = (header->flags & ~WHDR_INQUEUE) | WHDR_DONE;
    device->callback(device, WOM_DONE, device->instance, reinterpret_cast<uintptr_t>(header), 0);
  }
}

void NoCallback(WaveOutHandle, uint32_t, uintptr_t, uintptr_t, uintptr_t) {}

}  // namespace

size_t PullWaveBytes(WaveOutHandle device, uint8_t* out, size_t bytes) {
  bytes -= bytes % device->format.blockAlign;
  std::vector<WaveHeader*> done;
  size_t taken = 0;
  {
    std::lock_guard<std::mutex> hold(device->lock);
    while (!device->paused && taken < bytes && !device->queue.empty()) {
      WaveHeader* header = device->queue.front();
      const size_t count = std::min<size_t>(header->bufferLength - device->offset, bytes - taken);
      std::memcpy(out + taken, header->data + device->offset, count);
      taken += count;
      device->offset += static_cast<uint32_t>(count);
      if (device->offset < header->bufferLength) continue;
      device->queue.pop_front();
      device->offset = 0;
      done.push_back(header);
    }
  }
  ApplyVolume(out, taken, device->format.channels);
  ReportDone(device, done);
  return taken;
}

WaveOutQueueState WaveOutQueueStateOf(WaveOutHandle device) {
  std::lock_guard<std::mutex> hold(device->lock);
  const size_t left =
      device->queue.empty() ? 0 : device->queue.front()->bufferLength - device->offset;
  return {.paused = device->paused, .resets = device->resets, .frontBytesLeft = left};
}

uint32_t WaveOutOpen(WaveOutHandle* device, uint32_t deviceId, const WaveFormat* format,
                     WaveOutCallback callback, uintptr_t instance, uint32_t flags) {
  if (!device) return MMSYSERR_INVALPARAM;
  *device = nullptr;
  std::lock_guard<std::mutex> serial(openCloseLock);
  std::unique_lock<std::mutex> hold(devicesLock);
  if (!refusals.empty()) {
    const uint32_t code = refusals.front();
    refusals.pop_front();
    return code;
  }
  if (deviceId != WAVE_MAPPER && deviceId != 0) return MMSYSERR_BADDEVICEID;
  if (openDevice) return MMSYSERR_ALLOCATED;
  if (!FormatSupported(format)) return WAVERR_BADFORMAT;
  if (!output) return MMSYSERR_ERROR;
  const bool hasCallback = (flags & CALLBACK_FUNCTION) == CALLBACK_FUNCTION && callback;
  auto* opened = new WaveOut{.format = *format,
                             .callback = hasCallback ? callback : NoCallback,
                             .instance = instance,
                             .output = output};
  hold.unlock();
  if (!opened->output->start(opened, opened->format)) {
    delete opened;
    return MMSYSERR_ERROR;
  }
  hold.lock();
  openDevice = *device = opened;
  hold.unlock();
  opened->callback(opened, WOM_OPEN, instance, 0, 0);
  return MMSYSERR_NOERROR;
}

uint32_t WaveOutClose(WaveOutHandle device) {
  std::lock_guard<std::mutex> serial(openCloseLock);
  const std::unique_lock sole(lifetimeLock);
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  if (WaveOutQueueStateOf(device).frontBytesLeft > 0) return WAVERR_STILLPLAYING;
  device->output->stop(device);
  std::unique_lock<std::mutex> hold(devicesLock);
  openDevice = nullptr;
  hold.unlock();
  device->callback(device, WOM_CLOSE, device->instance, 0, 0);
  delete device;
  return MMSYSERR_NOERROR;
}

uint32_t WaveOutPrepareHeader(WaveOutHandle device, WaveHeader* header, uint32_t size) {
  const std::shared_lock alive(lifetimeLock);
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  if (!header || size < sizeof(WaveHeader) || !header->data) return MMSYSERR_INVALPARAM;
  header->flags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

uint32_t WaveOutUnprepareHeader(WaveOutHandle device, WaveHeader* header, uint32_t size) {
  const std::shared_lock alive(lifetimeLock);
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  if (!header || size < sizeof(WaveHeader)) return MMSYSERR_INVALPARAM;
  if (header->flags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->flags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

uint32_t WaveOutWrite(WaveOutHandle device, WaveHeader* header, uint32_t size) {
  const std::shared_lock alive(lifetimeLock);
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  if (!header || size < sizeof(WaveHeader)) return MMSYSERR_INVALPARAM;
  if (!(header->flags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  header->flags = (header->flags & ~WHDR_DONE) | WHDR_INQUEUE;
  if (header->bufferLength == 0) {  // nothing to play: done at once
    ReportDone(device, {header});
    return MMSYSERR_NOERROR;
  }
  std::lock_guard<std::mutex> hold(device->lock);
  device->queue.push_back(header);
  return MMSYSERR_NOERROR;
}

uint32_t WaveOutPause(WaveOutHandle device) {
  const std::shared_lock alive(lifetimeLock);
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  std::lock_guard<std::mutex> hold(device->lock);
  device->paused = true;
  return MMSYSERR_NOERROR;
}

uint32_t WaveOutRestart(WaveOutHandle device) {
  const std::shared_lock alive(lifetimeLock);
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  std::lock_guard<std::mutex> hold(device->lock);
  device->paused = false;
  return MMSYSERR_NOERROR;
}

uint32_t WaveOutReset(WaveOutHandle device) {
  const std::shared_lock alive(lifetimeLock);
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  std::vector<WaveHeader*> returned;
  {
    std::lock_guard<std::mutex> hold(device->lock);
    returned.assign(device->queue.begin(), device->queue.end());
    device->queue.clear();
    device->offset = 0;
    ++device->resets;
  }
  ReportDone(device, returned);
  return MMSYSERR_NOERROR;
}

uint32_t WaveOutGetVolume(WaveOutHandle device, uint32_t* volume) {
  const std::shared_lock alive(lifetimeLock);
  if (device && !IsOpen(device)) return MMSYSERR_INVALHANDLE;
  if (!volume) return MMSYSERR_INVALPARAM;
  *volume = volumeWord.load();
  return MMSYSERR_NOERROR;
}

uint32_t WaveOutSetVolume(WaveOutHandle device, uint32_t volume) {
  const std::shared_lock alive(lifetimeLock);
  if (device && !IsOpen(device)) return MMSYSERR_INVALHANDLE;
  volumeWord = volume;
  JournalWrite("volume", {{"left", int64_t{volume & 0xFFFF}}, {"right", int64_t{volume >> 16}}});
  return MMSYSERR_NOERROR;
}

bool OpenSoundOutput(const std::string& kind, const std::string& fallback) {
  CloseSoundOutput();
  const std::string chosen = kind.empty() ? fallback : kind;
  const SoundOutput* opened = nullptr;
  if (chosen == "sdl")
    opened = &kSdlSoundOutput;
  else if (chosen == "null")
    opened = OpenPacedOutput("");
  else if (chosen.rfind("wav:", 0) == 0 && chosen.size() > 4)
    opened = OpenPacedOutput(chosen.substr(4));
  else
    std::fprintf(stderr, "morvelant: unknown audio output '%s' (sdl, null or wav:FILE)\n",
                 chosen.c_str());
  std::lock_guard<std::mutex> hold(devicesLock);
  output = opened;
  return opened != nullptr;
}

void CloseSoundOutput() {
  std::lock_guard<std::mutex> serial(openCloseLock);
  std::lock_guard<std::mutex> hold(devicesLock);
  // A device still open stops sounding; its handle stays valid until it is closed.
  if (openDevice) openDevice->output->stop(openDevice);
  if (output && output != &kSdlSoundOutput) ClosePacedOutput();
  output = nullptr;
}

void InjectWaveOutRefusals(const std::vector<uint32_t>& codes) {
  std::lock_guard<std::mutex> hold(devicesLock);
  refusals.assign(codes.begin(), codes.end());
}
