#include "app/main_window.h"

#include <iterator>

#include "core/commands.h"
#include "app/startup_library/startup_library.h"
#include "platform/wave_out.h"
#include "core/player_state.h"

namespace {

using Handler = intptr_t (*)(WindowHandle window, uintptr_t wParam, intptr_t lParam);

// The window is going away: the volume and settings are stored for the next start, the volume
// found at start is given back, and the loop ends.
intptr_t OnDestroy(WindowHandle, uintptr_t, intptr_t) {
  closing = 1;
  WaveOutGetVolume(nullptr, &playerSettings.volume);
  StorePlayerSettings(&playerSettings);
  WaveOutSetVolume(nullptr, startupVolume);
  PostQuitMessage(0);
  return 0;
}

intptr_t OnCommand(WindowHandle window, uintptr_t wParam, intptr_t lParam) {
  const uint32_t command = static_cast<uint32_t>(wParam & 0xFFFF);
  if (command == kCommandExit) {
    DestroyWindow(window);
    return 0;
  }
  return DefWindowProc(window, WM_COMMAND, wParam, lParam);
}

struct MessageHandler {
  uint32_t message;
  Handler handle;
};
constexpr MessageHandler kHandlers[] = {
    {WM_DESTROY, OnDestroy},
    {WM_COMMAND, OnCommand},
};

}  // namespace

intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  for (const MessageHandler& handler : kHandlers)
    if (handler.message == message) return handler.handle(window, wParam, lParam);
  return DefWindowProc(window, message, wParam, lParam);
}
