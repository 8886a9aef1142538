// The wave-out side of the audio thread: 8 KB wave buffers, the queue with its flow control at
// 51 buffers, the buffer-done callback that publishes the audio clock, and the buffer-release
// thread that takes played buffers back.
#pragma once

#include <atomic>
#include <cstdint>

#include "morvelant/audio_decoder.h"
#include "platform/wave_out.h"

struct WaveBuffer {
  WaveHeader header;
  uint8_t data[AUDIO_OUTPUT_BUFFER_SIZE];
};

constexpr int32_t kMaxQueuedBuffers = 50;  // more than this wait for "eventAudio"
constexpr uint32_t kBufferDoneMessage = 1525;

// Null when memory is short.
WaveBuffer* AllocateWaveBuffer();
void ReleaseWaveBuffer(WaveBuffer* buffer);

// Hands a filled buffer to the device; a buffer with length or position 0, or one that a stop
// or seek overtook while it waited for room, is released unplayed. Audio thread.
void QueueWaveBuffer(WaveBuffer* buffer, int32_t length, int32_t position);

// Returns every queued buffer unplayed; meanwhile the callback leaves the clock alone.
extern std::atomic<uint8_t> deviceResetting;  // W main, audio; R callback
void ResetWaveDevice(WaveOutHandle device);

// The audio clock as the last played buffer left it: at tick count `tick` the sound reached `ms`
// of the item (-1: no clock yet), and a buffer lasts `stepMs`. Callback; video (start).
void StampAudioClock(int32_t ms, uint32_t tick, int32_t stepMs);
// The audio clock now. The sound goes on between buffers, so while it plays the clock is the
// stamp carried forward by the time since, by no more than a buffer and a half; paused, or with no
// buffer for longer than two steps, it stays where the last buffer left it.
struct AudioClockReading {
  int64_t ms;         // the item's time; -1 when there is no audio clock
  int64_t carryLeft;  // milliseconds it may still move before the next buffer
};
AudioClockReading ReadAudioClock();

// The device's function callback.
void BufferDone(WaveOutHandle device, uint32_t message, uintptr_t instance, uintptr_t header,
                uintptr_t);

// The buffer-release thread: started by the audio thread once the device is open, ended by
// posting WM_QUIT (18) to it after the last buffer came back.
extern std::atomic<uint32_t> bufferReleaseThreadId;  // W audio; R callback
uint32_t BufferReleaseThread(void*);
