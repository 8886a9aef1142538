// The transport operations behind the player's buttons, keys and commands. All run on the main
// window's thread and steer the video and audio threads through the player-wide flags, the
// named events, the sound device and the reader.
#pragma once

#include <cstdint>

#include "platform/window.h"

constexpr uint32_t kVolumeFadeTimer = 444;
constexpr uint32_t kVolumeFadeMs = 50;

void PlayPause();
void TogglePause();
// Ends the running playback and waits until its video thread has signalled "eventStopped".
void StopPlayback();
void StopItem(WindowHandle window);
void NextItem(WindowHandle window);
void PreviousItem(WindowHandle window);
void ToggleFastForward();
void LeaveFastForward();
// target: a percentage 0..99 (byFrame 0), a frame number (byFrame 1) or a chapter (byChapter).
void SeekTo(int32_t target, uint8_t byChapter, int32_t byFrame);
// The position in percent; 0 while nothing is open.
double GetPosition();

// Volume: percentages 0..100 of the device-0 volume word (core/volume.h).
int32_t CurrentVolumePercent();
void SetVolumePercent(int32_t percent);
void StartVolumeFadeIn();
// One tick of timer 444.
void VolumeFadeStep(WindowHandle window);
// The step the volume keys make (+5 or -5): the new percentage (0..100), applied unless muted,
// and the volume knob moved to it.
int32_t StepVolume(int32_t change);
// The volume the knob asks for, or 0 while muted.
void ApplyVolume();
void ToggleMute();
