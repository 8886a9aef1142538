#include "device/system_bars.h"

#include "core/player_state.h"
#include "platform/drawing.h"
#include "platform/menu.h"
#include "platform/registry.h"
#include "platform/window.h"

namespace {

constexpr char16_t kAutoHideKey[] = u"Software\\Microsoft\\Shell\\AutoHide";
constexpr char16_t kAutoHideValue[] = u"Default";
// The task bar's class is spelled two ways by the system: one to show and hide it, one to
// notify it. A Linux desktop has neither window, so those steps find nothing.
constexpr char16_t kTaskBarClass[] = u"HHTaskbar";
constexpr char16_t kTaskBarNotifyClass[] = u"HHTaskBar";
constexpr uint32_t WM_SETTINGCHANGE = 26;
constexpr intptr_t kAutoHideChange = 5000;
constexpr intptr_t kPaintControlsOnly = 1;

void ShowTaskBar(bool show) {
  if (WindowHandle taskBar = FindWindow(kTaskBarClass, u"")) ShowWindow(taskBar, show);
}

bool OnWindowThread() {
  return GetCurrentThreadId() == GetWindowThreadId(mainWindow);
}

}  // namespace

void SetTaskBarAutoHide(bool on) {
  RegistrySetNumber(RegistryRoot::LocalMachine, kAutoHideKey, kAutoHideValue, on ? 1 : 0);
  if (WindowHandle taskBar = FindWindow(kTaskBarNotifyClass, u""))
    SendMessage(taskBar, WM_SETTINGCHANGE, 0, kAutoHideChange);
}

void ShowSystemBars(bool show) {
  CommandBarEnable(commandBar, show);
  if (show) {
    CommandBarShow(commandBar, true);
    ShowTaskBar(true);
    if (screenTakeover) RepaintWindow(true);
  } else {
    ShowTaskBar(false);
    RepaintWindow(true);
    CommandBarShow(commandBar, false);
  }
}

void RepaintWindow(bool whole) {
  if (!mainWindow) return;
  if (!OnWindowThread()) {
    if (whole) {
      InvalidateWindow(mainWindow, true);
    } else {
      PostMessage(mainWindow, WM_PAINT, 0, kPaintControlsOnly);
    }
    return;
  }
  if (whole) {
    RedrawWindow(mainWindow);
  } else {
    SendMessage(mainWindow, WM_PAINT, 0, kPaintControlsOnly);
  }
}
