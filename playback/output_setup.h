// The output geometry of the open item and the blitter that draws it: where the picture lies,
// which of the five blitters is current, and what the display options change.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/window.h"
#include "video/blitter.h"

extern std::atomic<int16_t> originRow, originColumn;  // W main; R video
extern std::atomic<int32_t> originOffset, rowSkip;    // W main; R video
extern std::atomic<Blitter> currentBlitter;           // W main; R video, main

// Places the picture for the open item and the current options; clears stopRequested.
void ComputeGeometry();
// purpose 0: an item opens (the decoder is told its output kind too); > 0: a still picture for
// pictureBuffer; < 0: the screen. Returns 0.
int32_t ConfigureOutput(int32_t purpose);
// Makes the blitter of an output kind current; other kinds leave it. Returns 1.
int32_t SelectBlitter(int32_t kind);
// Flips `flag` (when given) and brings the picture in line: rotate, full screen, or, with no
// flag, after filtering or size-to-viewport were flipped by the caller.
void ToggleDisplayOption(WindowHandle window, uint8_t* flag);
