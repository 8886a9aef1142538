// Inside the platform layer: what a sound output (SDL, paced null, WAV file) needs from the
// device core, and what it provides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/wave_out.h"

struct SoundOutput {
  const char* name;
  // Called by WaveOutOpen/WaveOutClose on the caller's thread. `start` begins pulling from the
  // device on the output's own thread; `stop` ends that and waits for it.
  bool (*start)(WaveOutHandle device, const WaveFormat& format);
  void (*stop)(WaveOutHandle device);
};

// The output's thread takes up to `bytes` of queued sound (whole sample frames, volume applied)
// and gets the number taken: fewer when the queue runs dry, 0 while paused. Buffers whose last
// byte was taken are reported through the device's callback before this returns.
size_t PullWaveBytes(WaveOutHandle device, uint8_t* out, size_t bytes);

// What an output looks at between pulls, read at one moment.
struct WaveOutQueueState {
  bool paused;
  uint32_t resets;        // moves whenever WaveOutReset emptied the queue
  size_t frontBytesLeft;  // of the oldest queued buffer, not yet taken; 0 when none is queued
};
WaveOutQueueState WaveOutQueueStateOf(WaveOutHandle device);

extern const SoundOutput kSdlSoundOutput;
// The paced outputs; `file` empty: discarded.
const SoundOutput* OpenPacedOutput(const std::string& file);
void ClosePacedOutput();
