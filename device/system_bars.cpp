#include "device/system_bars.h"

#include "platform/drawing.h"
#include "platform/registry.h"
#include "platform/window.h"
#include "core/player_state.h"

namespace {

constexpr char16_t kAutoHideKey[] = u"Software\\Microsoft\\Shell\\AutoHide";
constexpr char16_t kAutoHideValue[] = u"Default";
constexpr char16_t kTaskBarNotifyClass[] = u"HHTaskBar";
constexpr uint32_t WM_SETTINGCHANGE = 26;
constexpr intptr_t kAutoHideChange = 5000;
constexpr intptr_t kPaintControlsOnly = 1;

}  // namespace

void SetTaskBarAutoHide(bool on) {
  RegistrySetNumber(RegistryRoot::LocalMachine, kAutoHideKey, kAutoHideValue, on ? 1 : 0);
  // A Linux desktop has no such window: the message then goes nowhere.
  if (WindowHandle taskBar = FindWindow(kTaskBarNotifyClass, u""))
    SendMessage(taskBar, WM_SETTINGCHANGE, 0, kAutoHideChange);
}

void RepaintWindow(bool whole) {
  if (whole) {
    RedrawWindow(mainWindow);
  } else {
    SendMessage(mainWindow, WM_PAINT, 0, kPaintControlsOnly);
  }
}
