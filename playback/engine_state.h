// The playback engine's own shared state, beside the player-wide flags of core/player_state.h.
// Each comment names the threads that write (W) and read (R) the value: main = the main
// window's thread, video, audio, release = the buffer-release thread, callback = the wave-out
// buffer-done callback.
#pragma once

#include <atomic>
#include <cstdint>

#include "media/reader_state.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "platform/wave_out.h"

extern std::atomic<int32_t> loading;    // OpenItem runs; W main; R main
extern uint8_t chaptersInMenu;          // main only
extern ThreadHandle videoThreadHandle;  // main only
extern CriticalSection decodeLock;      // DecodeFrame and the blit after it: video, main

// The video thread's packet buffer, and the one the main thread reads still pictures into, so
// that a still drawn while the video thread runs never shares its buffer.
extern uint8_t packetBuffer[kPacketBufferBytes];       // video only
extern uint8_t stillPacketBuffer[kPacketBufferBytes];  // main only

// Audio output.
extern std::atomic<WaveOutHandle> waveDevice;     // W audio; R main (pause, restart, reset), video
extern std::atomic<int32_t> queuedBuffers;        // W audio, release; R main (seek), audio
extern std::atomic<uint8_t> audioAutostart;       // W audio; R audio
extern std::atomic<uint8_t> discardNextOutput;    // W main (seek), audio; R audio
extern std::atomic<uint8_t> seekInProgress;       // W main, audio; R audio
extern std::atomic<int32_t> lastQueuedPosition;   // W audio; R audio
extern std::atomic<int32_t> lastDonePosition;     // W callback; R audio, video (journal)
extern std::atomic<uint32_t> waveBytesPerSecond;  // the open device's; W audio; R callback
extern std::atomic<int32_t> audioBitrate;         // W audio, main (open); R main (info view)
extern std::atomic<int64_t> audioBytesQueued;     // PCM bytes queued this item; W audio; R video
extern std::atomic<uint8_t> audioThreadActive;    // W video (start), audio (end); R video
// A seek or the end of fast forward re-based the clock since the item opened: the audio thread,
// if it starts later, keeps that audio span instead of the whole stream's.
extern std::atomic<uint8_t> clockRebased;  // W main; R audio
// Counts the repositionings of the audio stream (seeks, the end of fast forward) after the reader
// moved it: audio that had run out has more to play when it moves.
extern std::atomic<uint32_t> audioRepositions;  // W main; R audio
extern std::atomic<int32_t> fadeTarget;         // W video (fade start), main; R main

// "Audio is active": audio switched on and the open item has audio.
bool AudioActive();
// Frames the item has; 0 while nothing is open.
int32_t OpenFrameCount();
