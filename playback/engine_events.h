// The five named manual-reset events that carry start, flow control, clock ticks and ends
// between the player's threads. Every thread may use them; the handles live for the process,
// so that an event is never re-created (and its state lost) between one item and the next.
#pragma once

#include "platform/sync.h"

enum class EngineEvent {
  Stopped,       // "eventStopped": the video thread has ended its playback
  AudioStopped,  // "eventAudioStopped": the audio thread has ended
  AudioStarted,  // "eventAudioStarted": the sound device is open and paused
  Audio,         // "eventAudio": the queue of wave buffers has room again
  NextFrame,     // "eventNextFrame": the audio clock moved
};

EventHandle EngineEventHandle(EngineEvent event);
