// The screen pixels under a box (a dialog, a menu, a message box), kept while it is up and put
// back when it closes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/window.h"

struct SavedPixels {
  Rect rect{};
  std::vector<uint16_t> pixels;
};

// Main thread. Both run between two frames of the video thread, so that the box never copies or
// covers half a frame.
SavedPixels SaveScreenRect(const Rect& rect);
void RestoreScreenRect(const SavedPixels& saved);
