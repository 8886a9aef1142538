#include "platform/controls/control_host.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/controls/dialog_modal_loop.h"
#include "platform/controls/dialog_style.h"

namespace {

struct HostedControl {
  WindowHandle window;
  bool takesParentKeys;
  ControlShown shown;
};

struct Host {
  WindowProc previous = nullptr;
  std::vector<HostedControl> controls;  // painted in this order, hit-tested in reverse
  WindowHandle capture = nullptr;       // the control that took the last pen press
};

std::map<WindowHandle, Host> hosts;  // main thread only

bool IsShown(const HostedControl& control) {
  return control.shown ? control.shown(control.window) : IsWindowVisible(control.window);
}

WindowHandle ControlAt(const Host& host, WindowHandle parent, intptr_t lParam) {
  const Rect origin = GetWindowRect(parent);
  const int32_t x = PenX(lParam) + origin.left, y = PenY(lParam) + origin.top;
  for (auto it = host.controls.rbegin(); it != host.controls.rend(); ++it)
    if (IsShown(*it) && RectContains(GetWindowRect(it->window), x, y)) return it->window;
  return nullptr;
}

// The pen message in the control's client coordinates.
void SendPen(WindowHandle parent, WindowHandle control, uint32_t message, uintptr_t wParam,
             intptr_t lParam) {
  const Rect from = GetWindowRect(parent), to = GetWindowRect(control);
  SendMessage(control, message, wParam,
              PenParam(PenX(lParam) + from.left - to.left, PenY(lParam) + from.top - to.top));
}

// True when a control took the pen message.
bool RoutePen(Host& host, WindowHandle parent, uint32_t message, uintptr_t wParam,
              intptr_t lParam) {
  WindowHandle target = host.capture;
  if (message == WM_LBUTTONDOWN) target = host.capture = ControlAt(host, parent, lParam);
  if (!target || !IsWindow(target)) return false;
  if (message == WM_LBUTTONUP) host.capture = nullptr;
  SendPen(parent, target, message, wParam, lParam);
  return true;
}

bool RouteKey(const Host& host, uintptr_t key) {
  const std::vector<HostedControl> controls = host.controls;  // a handler may add controls
  for (const HostedControl& control : controls)
    if (control.takesParentKeys && IsShown(control) &&
        SendMessage(control.window, kParentKeyMessage, key, 0) != 0)
      return true;
  return false;
}

void PaintControls(WindowHandle parent) {
  const auto found = hosts.find(parent);
  if (found == hosts.end()) return;
  const std::vector<HostedControl> controls = found->second.controls;
  for (const HostedControl& control : controls)
    if (IsWindow(control.window) && IsShown(control)) SendMessage(control.window, WM_PAINT, 0, 0);
}

intptr_t HostProc(WindowHandle parent, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const auto found = hosts.find(parent);
  if (found == hosts.end()) return DefWindowProc(parent, message, wParam, lParam);
  Host& host = found->second;
  if (IsPenMessage(message) && RoutePen(host, parent, message, wParam, lParam)) return 0;
  if (message == WM_KEYDOWN && RouteKey(host, wParam)) return 0;
  const WindowProc previous = host.previous;
  const intptr_t result = CallWindowProc(previous, parent, message, wParam, lParam);
  if (message == WM_PAINT) PaintControls(parent);
  if (message == WM_DESTROY) hosts.erase(parent);
  return result;
}

}  // namespace

void HostControl(WindowHandle control, bool takesParentKeys, ControlShown shown) {
  WindowHandle parent = GetParent(control);
  if (!parent) return;
  auto [found, added] = hosts.try_emplace(parent);
  if (added) found->second.previous = SetWindowProc(parent, HostProc);
  found->second.controls.push_back({control, takesParentKeys, shown});
}

void UnhostControl(WindowHandle control) {
  for (auto& [parent, host] : hosts) {
    std::erase_if(host.controls, [&](const HostedControl& c) { return c.window == control; });
    if (host.capture == control) host.capture = nullptr;
  }
}
