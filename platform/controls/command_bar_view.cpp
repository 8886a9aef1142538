#include "platform/controls/command_bar_view.h"

#include <map>

#include "platform/controls/control_host.h"
#include "platform/controls/dialog_modal_loop.h"
#include "platform/controls/dialog_style.h"
#include "platform/controls/menu_popup.h"
#include "platform/virtual_keys.h"

namespace {

constexpr int32_t kTitleLeft = 2;
constexpr int32_t kTitlePadding = 8;  // each side of a title's text
constexpr int32_t kTitleInset = 2;    // between the pressed frame and the bar's edges

std::map<CommandBarHandle, WindowHandle> views;  // main thread only

CommandBarHandle BarOf(WindowHandle window) {
  return static_cast<CommandBarHandle>(GetWindowData(window));
}

bool BarShown(WindowHandle window) {
  return CommandBarIsVisible(BarOf(window));
}

Rect BarRect(CommandBarHandle bar) {
  const auto found = views.find(bar);
  if (found != views.end()) return GetWindowRect(found->second);
  const Rect owner = GetWindowRect(static_cast<WindowHandle>(CommandBarOwner(bar)));
  return {owner.left, owner.top, owner.right, owner.top + kCommandBarHeight};
}

void OnPenDown(WindowHandle window, intptr_t lParam) {
  CommandBarHandle bar = BarOf(window);
  const Rect origin = GetWindowRect(window);
  const int32_t x = PenX(lParam) + origin.left, y = PenY(lParam) + origin.top;
  const size_t titles = CommandBarGetMenu(bar)->items.size();
  for (size_t title = 0; title < titles; ++title)
    if (RectContains(CommandBarTitleRect(bar, title), x, y)) {
      CommandBarOpenMenu(bar, title, false);
      return;
    }
}

intptr_t OnParentKey(WindowHandle window, uintptr_t key) {
  if (key != VK_F10 || !CommandBarIsEnabled(BarOf(window))) return 0;
  CommandBarOpenMenu(BarOf(window), 0, true);
  return 1;
}

void OnPaint(WindowHandle window) {
  ValidateWindow(window);
  if (BarShown(window)) CommandBarDrawTitles(BarOf(window), -1);
}

intptr_t BarProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_LBUTTONDOWN:
      OnPenDown(window, lParam);
      return 0;
    case kParentKeyMessage:
      return OnParentKey(window, wParam);
    case WM_DESTROY:
      views.erase(BarOf(window));
      UnhostControl(window);
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

WindowHandle CommandBarCreateView(CommandBarHandle bar) {
  if (const auto found = views.find(bar); found != views.end()) return found->second;
  auto* owner = static_cast<WindowHandle>(CommandBarOwner(bar));
  if (!owner || !IsWindow(owner)) return nullptr;
  const Rect area = GetWindowRect(owner);
  WindowHandle window =
      CreateWindow({.className = u"CommandBar",
                    .procedure = BarProc,
                    .parent = owner,
                    .bounds = {area.left, area.top, area.right, area.top + kCommandBarHeight}});
  SetWindowData(window, bar);
  views[bar] = window;
  HostControl(window, true, BarShown);
  return window;
}

void CommandBarRedraw(CommandBarHandle bar) {
  if (CommandBarIsVisible(bar)) CommandBarDrawTitles(bar, -1);
}

Rect CommandBarTitleRect(CommandBarHandle bar, size_t index) {
  const Rect area = BarRect(bar);
  MenuHandle menu = CommandBarGetMenu(bar);
  if (!menu || index >= menu->items.size()) return {};
  DeviceContextHandle dc = GetDC(nullptr);
  int32_t left = area.left + kTitleLeft, width = 0;
  for (size_t i = 0; i <= index; ++i) {
    left += width;
    width = GetTextExtent(dc, menu->items[i].text).cx + 2 * kTitlePadding;
  }
  ReleaseDC(nullptr, dc);
  return {left, area.top, left + width, area.top + kCommandBarHeight};
}

void CommandBarDrawTitles(CommandBarHandle bar, int32_t open) {
  if (!CommandBarIsVisible(bar)) return;
  const Rect area = BarRect(bar);
  DeviceContextHandle dc = GetDC(nullptr);
  FillRect(dc, area, kFaceColor);
  FillRect(dc, {area.left, area.bottom - 1, area.right, area.bottom}, kShadowColor);
  const uint32_t color = CommandBarIsEnabled(bar) ? kTextColor : kGreyedTextColor;
  const size_t titles = CommandBarGetMenu(bar)->items.size();
  for (size_t title = 0; title < titles; ++title) {
    const Rect rect = CommandBarTitleRect(bar, title);
    if (static_cast<int32_t>(title) == open)
      DrawSunkenFrame(dc,
                      {rect.left, rect.top + kTitleInset, rect.right, rect.bottom - kTitleInset});
    DrawLabel(dc, CommandBarGetMenu(bar)->items[title].text, rect, DT_CENTER | DT_VCENTER, color);
  }
  ReleaseDC(nullptr, dc);
}

uint32_t CommandBarOpenMenu(CommandBarHandle bar, size_t index, bool fromKeyboard) {
  MenuHandle menu = CommandBarGetMenu(bar);
  if (!CommandBarIsEnabled(bar) || !CommandBarIsVisible(bar) || !menu ||
      index >= menu->items.size())
    return 0;
  auto* owner = static_cast<WindowHandle>(CommandBarOwner(bar));
  MenuBarTracking tracking{
      .bar = bar, .owner = owner, .title = index, .fromKeyboard = fromKeyboard};
  const uint32_t command = TrackMenu(&tracking);
  if (command != 0) SendMessage(owner, WM_COMMAND, command, 0);
  return command;
}
