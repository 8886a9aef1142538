// The video thread: one per opened item. It starts the audio thread, paces the frames against
// the audio clock (or the tick clock without audio, or not at all for a free-running source),
// draws them through the current blitter, and at the end of the item waits for the audio,
// tells the main window (message 1135) and signals "eventStopped".
#pragma once

#include <cstdint>

constexpr uint32_t kPlaybackEndedMessage = 1135;
constexpr int32_t kNoTargetFrame = -99;

// The argument is the main window, owner of the statistics box.
uint32_t VideoThread(void* window);

// The three clocks; the video thread calls the current one once per pass.
void TickClock();
void AudioClock();
void FreeRunClock();
// Between the wave-out callback's updates the audio clock's frame is carried forward with the
// sound that goes on playing: the frame it has reached now, never behind targetFrame, which it
// returns as it is while a seek or fast forward holds it (0 or less).
int32_t CarriedAudioTarget();
// Milliseconds until that frame reaches `frame`, or `otherwise` when the next buffer comes first.
uint32_t MsUntilAudioReaches(int32_t frame, uint32_t otherwise);
