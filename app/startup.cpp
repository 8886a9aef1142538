#include "app/startup.h"

#include "app/command_line.h"
#include "app/layer_hooks.h"
#include "app/main_window.h"
#include "app/resources.h"
#include "app/resume_point.h"
#include "app/startup_library/startup_library.h"
#include "app/window_state.h"
#include "core/player_state.h"
#include "device/backlight.h"
#include "device/system_bars.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/gapi.h"
#include "platform/process.h"
#include "platform/system_metrics.h"
#include "platform/wave_out.h"
#include "playback/engine_state.h"

namespace {

constexpr uint32_t kReplacementPauseMs = 1000;
// Screens this short let the task bar hide itself while the player runs.
constexpr int32_t kSmallScreenHeight = 240;

// Runs on the replacement listener's thread: returns once the window has handled the close.
void CloseOwnMainWindow() {
  const WindowHandle window = FindWindow(playerInstance.windowClass, playerInstance.windowTitle);
  if (window) SendMessage(window, WM_CLOSE, 0, 0);
}

bool IsSmallScreen() {
  return screenHeight <= kSmallScreenHeight;
}

void StartUp(std::u16string_view commandLine) {
  if (AskRunningPlayerToClose()) Sleep(kReplacementPauseMs);
  currentPath[0] = 0;
  screenWidth = GetSystemMetrics(SM_CXSCREEN);
  screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (IsSmallScreen()) SetTaskBarAutoHide(true);
  if (!commandLine.empty()) ApplyCommandLine(commandLine);
  playerSettings.audioEnabled = 1;
  WaveOutGetVolume(nullptr, &startupVolume);
  RecoverBacklightTimeouts();
  LoadPlayerSettings(&playerSettings);
  ApplyResumePoint(&playerSettings);
  WaveOutSetVolume(nullptr, playerSettings.volume);
  playerSettings.muted = 0;
}

// A sound device still open is closed with every waiting thread released before and after.
void CloseSoundDevice() {
  const WaveOutHandle device = waveDevice;
  if (!device) return;
  SetWindowEvents();
  WaveOutClose(device);
  SetWindowEvents();
}

int32_t RunMessageLoop() {
  Message message;
  while (GetMessage(&message)) {
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
  return static_cast<int32_t>(message.wParam);
}

}  // namespace

int32_t PlayerMain(std::u16string_view commandLine, int32_t showMode, WindowProc procedure) {
  StartUp(commandLine);
  ConnectLayers();
  mainWindow = CreateMainWindow(0, &playerInstance, showMode, &playerSettings, &commandBar,
                                procedure, kActionNames);
  if (!mainWindow) {
    CommandBarDestroy(commandBar);
    commandBar = nullptr;
    return 0;
  }
  RepaintWindow(true);
  BackendMainWindowCreated(mainWindow);
  ListenForReplacement(CloseOwnMainWindow);
  const int32_t code = RunMessageLoop();
  StopListeningForReplacement();
  if (IsSmallScreen()) SetTaskBarAutoHide(false);
  CloseSoundDevice();
  CloseWindowEvents();
  CloseDisplay();
  return code;
}
