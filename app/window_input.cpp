// Keys and the pointer. A key press runs two independent chains of bindings, each acting on its
// first match, so one key may be bound in both; the pointer goes to the skin's controls.
#include <iterator>

#include "app/window_handlers.h"
#include "core/commands.h"
#include "core/player_state.h"
#include "device/display_power.h"
#include "playback/transport.h"
#include "skin/skin.h"

namespace {

constexpr int32_t kVolumeStep = 5;
constexpr int32_t kBrightnessStep = 10;

struct KeyBinding {
  uint32_t PlayerSettings::*key;
  void (*act)(WindowHandle window);
};

// Commands go to the window itself and are handled before the key handling goes on.
template <uint32_t command>
void Send(WindowHandle window) {
  SendMessage(window, WM_COMMAND, command, 0);
}

void StepBrightness(int32_t change) {
  playerSettings.brightness += change;
  previousFrameDrawn = 0;  // the next frame is drawn whole with the new brightness
}

constexpr KeyBinding kTransportKeys[] = {
    {&PlayerSettings::keyPlayPause, [](WindowHandle) { PlayPause(); }},
    {&PlayerSettings::keyFullScreen, Send<kCommandFullScreen>},
    {&PlayerSettings::keyRotate, Send<kCommandRotate>},
    {&PlayerSettings::keyStop, Send<kCommandStop>},
    {&PlayerSettings::keyMute, Send<kCommandMute>},
    {&PlayerSettings::keyDisplayPower, [](WindowHandle) { ToggleDisplayPower(false); }},
};

constexpr KeyBinding kStepKeys[] = {
    {&PlayerSettings::keyVolumeDown, [](WindowHandle) { StepVolume(-kVolumeStep); }},
    {&PlayerSettings::keyVolumeUp, [](WindowHandle) { StepVolume(kVolumeStep); }},
    {&PlayerSettings::keyNextItem, Send<kCommandNextItem>},
    {&PlayerSettings::keyPreviousItem, Send<kCommandPreviousItem>},
    {&PlayerSettings::keyFastForward, Send<kCommandFastForward>},
    {&PlayerSettings::keyBrightnessUp, [](WindowHandle) { StepBrightness(kBrightnessStep); }},
    {&PlayerSettings::keyBrightnessDown, [](WindowHandle) { StepBrightness(-kBrightnessStep); }},
};

template <size_t N>
void RunFirstMatch(const KeyBinding (&chain)[N], uint32_t key, WindowHandle window) {
  for (const KeyBinding& binding : chain) {
    if (playerSettings.*binding.key != key) continue;
    binding.act(window);
    return;
  }
}

int32_t PointerX(intptr_t lParam) {
  return static_cast<int32_t>(lParam & 0xFFFF);
}
int32_t PointerY(intptr_t lParam) {
  return static_cast<int32_t>((lParam >> 16) & 0xFFFF);
}

}  // namespace

intptr_t OnKeyDown(WindowHandle window, uintptr_t wParam, intptr_t) {
  const uint32_t key = static_cast<uint32_t>(wParam);
  RunFirstMatch(kTransportKeys, key, window);
  RunFirstMatch(kStepKeys, key, window);
  return 0;
}

// A tap on a switched-off display only switches it on again: the user cannot see what the tap
// would press.
intptr_t OnPointerPressed(WindowHandle, uintptr_t, intptr_t lParam) {
  if (DisplaySwitchedOff()) {
    ToggleDisplayPower(true);
    return 0;
  }
  OnPointerDown(PointerX(lParam), PointerY(lParam));
  return 0;
}

intptr_t OnPointerMoved(WindowHandle, uintptr_t, intptr_t lParam) {
  OnPointerMove(PointerX(lParam), PointerY(lParam));
  return 0;
}

intptr_t OnPointerReleased(WindowHandle, uintptr_t, intptr_t lParam) {
  OnPointerUp(PointerX(lParam), PointerY(lParam));
  return 0;
}
