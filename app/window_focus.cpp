// Activation, focus and menus: the video is decoded without drawing while the window or its
// list views lose the focus or a menu is open.
#include "app/window_handlers.h"
#include "core/player_state.h"
#include "core/shared_word.h"
#include "device/display_power.h"
#include "media/reader_state.h"
#include "playback/transport.h"

namespace {

constexpr int32_t kDrawFrames = 2;
constexpr int32_t kDecodeOnly = 0;

// A video that has started and has not reached its last frame.
bool VideoInItsMiddle() {
  if (!currentDescriptor) return false;
  const int32_t frame = LoadSharedWord(currentDescriptor->CurrentFrame);
  return frame != 0 && frame + 1 < currentDescriptor->FrameCount;
}

}  // namespace

intptr_t OnActivate(WindowHandle, uintptr_t wParam, intptr_t) {
  if ((wParam & 0xFFFF) == 0) ToggleDisplayPower(true);
  return 0;
}

intptr_t OnFocusGained(WindowHandle, uintptr_t, intptr_t) {
  drawLevel = kDrawFrames;
  return 0;
}

// Another program took over: a video in its middle pauses, and coming back does not resume it.
intptr_t OnFocusLost(WindowHandle, uintptr_t, intptr_t) {
  drawLevel = kDecodeOnly;
  if (!paused && VideoInItsMiddle()) TogglePause();
  return 0;
}

intptr_t OnMenuOpening(WindowHandle, uintptr_t, intptr_t) {
  drawLevel = kDecodeOnly;
  return 0;
}
