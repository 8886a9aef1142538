// What the main window owns beside the player-wide state: its drawing context, the fill colour
// behind still pictures, its timers and the named events. Main thread only.
#pragma once

#include <cstdint>

#include "platform/drawing.h"
#include "platform/sync.h"

constexpr uint32_t kKeepAwakeTimer = 10;
constexpr uint32_t kKeepAwakeMs = 60000;
constexpr uint32_t kStartTimer = 222;        // the item from the command line
constexpr uint32_t kResumeStartTimer = 223;  // the remembered last item
constexpr uint32_t kStartDelayMs = 1000;
constexpr uint32_t kResumeWatchTimer = 224;  // the resume point's watch (app/resume_point.h)

// A memory context compatible with the window; images are selected into it for one copy.
extern DeviceContextHandle memoryDC;
// Sampled from the background on every full paint; fills the ViewPort behind a still picture.
extern uint32_t fillColour;
// KeepAwakeTimer's identifier while it runs, else 0.
extern uint32_t keepAwakeTimer;
// The cursor shown before the wait cursor.
extern int32_t cursorBeforeWait;

// "eventStopped", "eventAudioStopped", "eventAudio", "eventNextFrame", opened at creation.
constexpr int kWindowEventCount = 4;
extern EventHandle windowEvents[kWindowEventCount];
// Sets all four (the shutdown's release of any thread that still waits).
void SetWindowEvents();
// Closes them once no thread waits any more (the end of the player's run).
void CloseWindowEvents();
