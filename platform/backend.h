// The device backend: "sdl" (a window on a desktop or a handheld's KMS/DRM screen) or
// "headless" (no window; script in, journal, PNG and WAV out). Chosen once at start, before
// the main window exists, on the main thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window.h"

struct BackendOptions {
  bool headless = false;      // --headless; also chosen when no display is available
  int32_t screenWidth = 640;  // --screen=WxH
  int32_t screenHeight = 480;
  int32_t scale = 0;           // --scale=N; 0 = fit the desktop
  std::string script;          // --script=FILE
  std::string audio;           // --audio=sdl|null|wav:FILE; empty = the backend's default
  std::string journal;         // --journal=FILE
  bool journalFrames = false;  // --journal-frames: a "frame" event for every frame drawn
};

// Opens the screen, input and sound of the chosen backend and the journal. False when nothing
// usable could be opened (the caller reports it).
bool OpenBackend(const BackendOptions& options);
// The main window exists: the backend starts feeding it input and runs the script.
void BackendMainWindowCreated(WindowHandle mainWindow);
// After the message loop: closes the window, sound and journal.
void CloseBackend();
// "sdl" or "headless": also what the OEM information query reports.
const char* BackendName();
