// The main window's creation and destruction, each a list of steps in the order they must run.
#include <algorithm>

#include "app/command_line.h"
#include "app/resume_point.h"
#include "app/startup_library/startup_library.h"
#include "app/window_handlers.h"
#include "app/window_state.h"
#include "core/player_state.h"
#include "core/shared_word.h"
#include "device/backlight.h"
#include "media/reader_state.h"
#include "platform/gapi.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "platform/wave_out.h"
#include "playback/open_item.h"
#include "playback/transport.h"
#include "playlist/playlist.h"
#include "skin/skin.h"

DeviceContextHandle memoryDC;
uint32_t fillColour;
uint32_t keepAwakeTimer;
int32_t cursorBeforeWait;
EventHandle windowEvents[kWindowEventCount];

namespace {

constexpr uint32_t kOemInfoBytes = 200;
// Devices whose OEM string names these models need the strip-wise rotated blitter.
constexpr std::u16string_view kStripRotationModels[] = {u"740", u"750"};

struct WindowEvent {
  const char* name;
  bool initiallySet;
};
constexpr WindowEvent kWindowEvents[kWindowEventCount] = {
    {"eventStopped", false},
    {"eventAudioStopped", false},
    {"eventAudio", true},
    {"eventNextFrame", false},
};

// A skin from the command line is used for this run but not remembered.
void ApplyStartSkin(WindowHandle window) {
  if (commandLineSkin[0] == 0) {
    ApplySkin(playerSettings.skinPath, window);
    return;
  }
  char16_t remembered[SETTINGS_PATH_CHARS];
  std::copy_n(playerSettings.skinPath, SETTINGS_PATH_CHARS, remembered);
  ApplySkin(commandLineSkin, window);
  std::copy_n(remembered, SETTINGS_PATH_CHARS, playerSettings.skinPath);
}

void ReadOemInformation() {
  char16_t oem[kOemInfoBytes / sizeof(char16_t)] = {};
  SystemParametersInfo(SPI_GETOEMINFO, kOemInfoBytes, oem);
  const std::u16string_view text = WideView(oem);
  altRotation = std::any_of(
      std::begin(kStripRotationModels), std::end(kStripRotationModels),
      [&](std::u16string_view model) { return text.find(model) != std::u16string_view::npos; });
}

void OpenWindowEvents() {
  for (int index = 0; index < kWindowEventCount; ++index)
    windowEvents[index] =
        CreateNamedEvent(kWindowEvents[index].name, true, kWindowEvents[index].initiallySet);
}

// The last item is read as the command line would be, with the playlist's rows added.
void PrepareLastItem() {
  LastIndex = 0;
  CurrentIndex = 0;
  isUrl = 0;
  startRequest = playerSettings.autoPlay;
  ReleasePlaylist();
  ApplyLastItem(WideView(playerSettings.lastItem));
}

// The first item opens one second after the window exists, never during creation.
void ArmStartTimer(WindowHandle window) {
  if (currentPath[0] != 0) {
    LayoutListViews();
    SetTimer(window, kStartTimer, kStartDelayMs);
  } else if (playerSettings.lastItem[0] != 0 && playerSettings.resumeLastItem) {
    PrepareLastItem();
    SetTimer(window, kResumeStartTimer, kStartDelayMs);
  }
}

// Destruction, step 5: the device volume is what the next start sets; the record and the
// resume point are stored, and the volume found at start is given back.
void StoreSettings() {
  WaveOutGetVolume(nullptr, &playerSettings.volume);
  if (StorePlayerSettings(&playerSettings)) ForgetResumePoint();
  WaveOutSetVolume(nullptr, startupVolume);
}

void ReleaseDrawing() {
  CloseDisplay();
  CloseInput();
  DeleteDC(memoryDC);
  memoryDC = nullptr;
  CommandBarDestroy(commandBar);
  commandBar = nullptr;
}

void StopTimers(WindowHandle window) {
  if (keepAwakeTimer) KillTimer(window, kKeepAwakeTimer);
  keepAwakeTimer = 0;
  KillTimer(window, kSeekTimerId);
  KillTimer(window, kResumeWatchTimer);
}

}  // namespace

void SetWindowEvents() {
  for (EventHandle event : windowEvents)
    if (event) SetEvent(event);
}

void CloseWindowEvents() {
  for (EventHandle& event : windowEvents) {
    if (event) CloseEvent(event);
    event = nullptr;
  }
}

intptr_t OnCreate(WindowHandle window, uintptr_t, intptr_t) {
  ApplyStartSkin(window);
  DeviceContextHandle dc = GetDC(window);
  ReadOemInformation();
  memoryDC = CreateCompatibleDC(dc);
  if (playerSettings.keepAwake) keepAwakeTimer = SetTimer(window, kKeepAwakeTimer, kKeepAwakeMs);
  OpenWindowEvents();
  ReleaseDC(window, dc);
  OpenDisplay(window, 0);
  OpenInput();
  ArmStartTimer(window);
  SetTimer(window, kResumeWatchTimer, kResumeWatchMs);
  return 0;
}

intptr_t OnDestroy(WindowHandle window, uintptr_t, intptr_t) {
  closing = 1;
  if (playerSettings.showPlaylist) RestoreListViewProc(playlistView);
  RestoreListViewProc(mediaInfoView);
  if (currentDescriptor && currentDescriptor->FrameCount != 0)
    playerSettings.lastFrame = LoadSharedWord(currentDescriptor->CurrentFrame);
  if (playerSettings.muted) ApplyVolume();
  StoreSettings();
  RestartItem(window);
  // A stopped playback's end message is never handled now: its item is closed here, so that a
  // reader's own threads (a network download) end before the player does.
  OpenItem(window, -1);
  ReleaseDrawing();
  ReleasePlaylist();
  StopTimers(window);
  HoldBacklight(false);
  PostQuitMessage(0);
  return 0;
}
