// Sound output (the wave-out role): one device plays 16-bit PCM from buffers the caller queues,
// in order, and reports each finished buffer through the caller's function callback.
//
// Threads: every function may be called from any thread. The buffer-done callback (WOM_DONE,
// param1 = the header's address) runs on the sound backend's thread once the buffer's last
// byte has been handed to the output, except for the buffers WaveOutReset returns, whose
// callbacks run on the resetting thread before it returns. WOM_OPEN and WOM_CLOSE reach the
// callback on the opening and closing thread. The callback must not call back into the device
// (post, set events, store words). Headers stay the caller's: the device only reads the data
// and sets `flags`, and releases a header by its callback.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WaveOut;
using WaveOutHandle = WaveOut*;

constexpr uint32_t WAVE_MAPPER = 0xFFFFFFFF;
constexpr uint32_t CALLBACK_FUNCTION = 0x00030000;
constexpr uint16_t WAVE_FORMAT_PCM = 1;

// Results.
constexpr uint32_t MMSYSERR_NOERROR = 0;
constexpr uint32_t MMSYSERR_ERROR = 1;
constexpr uint32_t MMSYSERR_BADDEVICEID = 2;
constexpr uint32_t MMSYSERR_ALLOCATED = 4;  // busy
constexpr uint32_t MMSYSERR_INVALHANDLE = 5;
constexpr uint32_t MMSYSERR_INVALPARAM = 11;
constexpr uint32_t WAVERR_BADFORMAT = 32;
constexpr uint32_t WAVERR_STILLPLAYING = 33;
constexpr uint32_t WAVERR_UNPREPARED = 34;

// Callback messages.
constexpr uint32_t WOM_OPEN = 955;
constexpr uint32_t WOM_CLOSE = 956;
constexpr uint32_t WOM_DONE = 957;

// Header flags.
constexpr uint32_t WHDR_DONE = 0x01;
constexpr uint32_t WHDR_PREPARED = 0x02;
constexpr uint32_t WHDR_INQUEUE = 0x10;

struct WaveFormat {
  uint16_t formatTag;  // WAVE_FORMAT_PCM
  uint16_t channels;   // 1 or 2
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;     // channels x 2
  uint16_t bitsPerSample;  // 16
  uint16_t extraSize;
};

// The wave header: 32 bytes on 32-bit builds; address slots are pointer-sized.
struct WaveHeader {
  char* data;
  uint32_t bufferLength;
  uint32_t bytesRecorded;
  uintptr_t user;
  uint32_t flags;
  uint32_t loops;
  WaveHeader* next;
  uintptr_t reserved;
};
static_assert(sizeof(void*) != 4 || sizeof(WaveHeader) == 32);

using WaveOutCallback = void (*)(WaveOutHandle device, uint32_t message, uintptr_t instance,
                                 uintptr_t param1, uintptr_t param2);

// Opens WAVE_MAPPER or device 0 for 16-bit PCM, mono or stereo, 8000 to 48000 samples per
// second. 4 when a device is already open, 32 for another format, 2 for another device id.
// The device starts unpaused.
uint32_t WaveOutOpen(WaveOutHandle* device, uint32_t deviceId, const WaveFormat* format,
                     WaveOutCallback callback, uintptr_t instance, uint32_t flags);
// 33 while buffers are still queued (reset first).
uint32_t WaveOutClose(WaveOutHandle device);
uint32_t WaveOutPrepareHeader(WaveOutHandle device, WaveHeader* header, uint32_t size);
uint32_t WaveOutUnprepareHeader(WaveOutHandle device, WaveHeader* header, uint32_t size);
// Queues a prepared header (34 when it is not prepared).
uint32_t WaveOutWrite(WaveOutHandle device, WaveHeader* header, uint32_t size);
// Pause holds the output where it is; restart resumes it.
uint32_t WaveOutPause(WaveOutHandle device);
uint32_t WaveOutRestart(WaveOutHandle device);
// Returns every queued buffer at once, each with its callback; a paused device stays paused.
uint32_t WaveOutReset(WaveOutHandle device);
// The volume of device 0 (also through an open device's handle, or null): left channel in the
// low 16 bits, right in the high 16, 0 to 65535 each; samples are scaled by it.
uint32_t WaveOutGetVolume(WaveOutHandle device, uint32_t* volume);
uint32_t WaveOutSetVolume(WaveOutHandle device, uint32_t volume);

// Main thread, before any open: where the sound goes. "sdl", "null" (discarded, paced in real
// time), "wav:FILE" (written to a WAV file, paced in real time), or "" for `fallback`. False,
// with a message on standard error, for an unknown kind or a file that cannot be created.
bool OpenSoundOutput(const std::string& kind, const std::string& fallback);
void CloseSoundOutput();
// Tests and scripts: each of the next opens is refused with the next code (then opens work).
void InjectWaveOutRefusals(const std::vector<uint32_t>& codes);
