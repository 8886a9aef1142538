#include "platform/controls/menu_popup.h"

#include <algorithm>
#include <vector>

#include "platform/controls/command_bar_view.h"
#include "platform/controls/dialog_modal_loop.h"
#include "platform/controls/dialog_style.h"
#include "platform/screen.h"
#include "platform/virtual_keys.h"

namespace {

constexpr int32_t kCheckColumn = 18;  // left of the text: the check mark
constexpr int32_t kArrowColumn = 18;  // right of the text: a submenu's arrow
constexpr int32_t kMinPopupWidth = 80;
constexpr int32_t kSubmenuOverlap = 3;

constexpr int32_t kMinSlots = 3;   // a scrolling popup: an arrow, one item, an arrow
constexpr int32_t kScrollUp = -2;  // PopupAt's item for the arrow rows of a scrolling popup
constexpr int32_t kScrollDown = -3;

// A popup taller than the screen (a long Chapters list) shows a window of its items between
// two arrow rows that scroll it.
struct OpenPopup {
  MenuHandle menu;
  Rect rect;
  int32_t highlighted = -1;
  int32_t first = 0;  // the first item in view
  SavedPixels saved;
};

struct Tracker {
  MenuBarTracking* tracking;
  std::vector<OpenPopup> popups;  // the bar's menu first, then each open submenu
  uint32_t chosen = 0;
  bool penDown = false;
  bool ended = false;
};

bool IsSeparator(const MenuItem& item) {
  return item.command == 0 && !item.submenu && item.text.empty();
}

int32_t Slots(const OpenPopup& popup) {
  return (popup.rect.bottom - popup.rect.top - 2 * kPopupBorder) / kMenuItemHeight;
}

bool Scrolls(const OpenPopup& popup) {
  return static_cast<int32_t>(popup.menu->items.size()) > Slots(popup);
}

int32_t ItemsInView(const OpenPopup& popup) {
  return Scrolls(popup) ? Slots(popup) - 2 : static_cast<int32_t>(popup.menu->items.size());
}

// Empty for an item scrolled out of view.
Rect ItemRect(const OpenPopup& popup, size_t index) {
  const int32_t slot = static_cast<int32_t>(index) - popup.first;
  if (slot < 0 || slot >= ItemsInView(popup)) return {};
  return PopupItemRect(popup.rect, static_cast<size_t>(slot + (Scrolls(popup) ? 1 : 0)));
}

Rect ArrowRect(const OpenPopup& popup, bool down) {
  return PopupItemRect(popup.rect, down ? static_cast<size_t>(Slots(popup) - 1) : 0);
}

void ScrollTo(OpenPopup* popup, int32_t first) {
  const auto items = static_cast<int32_t>(popup->menu->items.size());
  popup->first = std::clamp(first, 0, std::max(0, items - ItemsInView(*popup)));
}

void RevealHighlight(OpenPopup* popup) {
  if (popup->highlighted < popup->first) ScrollTo(popup, popup->highlighted);
  if (popup->highlighted >= popup->first + ItemsInView(*popup))
    ScrollTo(popup, popup->highlighted - ItemsInView(*popup) + 1);
}

void DrawItem(DeviceContextHandle dc, const OpenPopup& popup, size_t index) {
  const MenuItem& item = popup.menu->items[index];
  const Rect rect = ItemRect(popup, index);
  const bool lit = static_cast<int32_t>(index) == popup.highlighted && !IsSeparator(item);
  FillRect(dc, rect, lit ? kHighlightColor : kFaceColor);
  if (IsSeparator(item)) {
    const int32_t middle = (rect.top + rect.bottom) / 2;
    FillRect(dc, {rect.left + 2, middle, rect.right - 2, middle + 1}, kShadowColor);
    return;
  }
  const uint32_t color = item.greyed ? kGreyedTextColor : lit ? kHighlightTextColor : kTextColor;
  if (item.checked) DrawCheckMark(dc, rect.left + 4, rect.top + 5, color);
  DrawLabel(dc, item.text,
            {rect.left + kCheckColumn, rect.top, rect.right - kArrowColumn, rect.bottom},
            DT_LEFT | DT_VCENTER, color);
  if (item.submenu)
    DrawArrow(dc, {rect.right - kArrowColumn, rect.top, rect.right, rect.bottom},
              ArrowDirection::Right, color);
}

void DrawPopup(const OpenPopup& popup) {
  DeviceContextHandle dc = GetDC(nullptr);
  FillRect(dc, popup.rect, kFaceColor);
  DrawRaisedFrame(dc, popup.rect);
  for (int32_t i = 0; i < ItemsInView(popup); ++i)
    DrawItem(dc, popup, static_cast<size_t>(popup.first + i));
  if (Scrolls(popup)) {
    DrawArrow(dc, ArrowRect(popup, false), ArrowDirection::Up, kTextColor);
    DrawArrow(dc, ArrowRect(popup, true), ArrowDirection::Down, kTextColor);
  }
  ReleaseDC(nullptr, dc);
}

void DrawAll(const Tracker& tracker) {
  CommandBarDrawTitles(tracker.tracking->bar, static_cast<int32_t>(tracker.tracking->title));
  for (const OpenPopup& popup : tracker.popups) DrawPopup(popup);
}

void ClosePopupsFrom(Tracker* tracker, size_t level) {
  while (tracker->popups.size() > level) {
    RestoreScreenRect(tracker->popups.back().saved);
    tracker->popups.pop_back();
  }
}

int32_t FirstSelectable(MenuHandle menu) {
  for (size_t i = 0; i < menu->items.size(); ++i)
    if (!IsSeparator(menu->items[i])) return static_cast<int32_t>(i);
  return -1;
}

// Opens `menu` as the popup of `level`, after its owner has had the chance to fill it; `place`
// gives its rectangle then.
template <typename Place>
void OpenPopupAt(Tracker* tracker, size_t level, MenuHandle menu, size_t position, Place place,
                 bool highlightFirst) {
  ClosePopupsFrom(tracker, level);
  SendMessage(tracker->tracking->owner, WM_INITMENUPOPUP, reinterpret_cast<uintptr_t>(menu),
              static_cast<intptr_t>(position));
  OpenPopup popup{.menu = menu, .rect = place()};
  popup.saved = SaveScreenRect(popup.rect);
  if (highlightFirst) popup.highlighted = FirstSelectable(menu);
  tracker->popups.push_back(std::move(popup));
  DrawPopup(tracker->popups.back());
}

void OpenTitle(Tracker* tracker, size_t title, bool highlightFirst) {
  ClosePopupsFrom(tracker, 0);
  MenuBarTracking& tracking = *tracker->tracking;
  tracking.title = title;
  CommandBarDrawTitles(tracking.bar, static_cast<int32_t>(title));
  MenuHandle menu = GetSubmenu(CommandBarGetMenu(tracking.bar), title);
  if (!menu) return;
  const Rect titleRect = CommandBarTitleRect(tracking.bar, title);
  OpenPopupAt(
      tracker, 0, menu, title, [&] { return PopupRect(menu, titleRect.left, titleRect.bottom); },
      highlightFirst);
}

void OpenSubmenu(Tracker* tracker, size_t level, bool highlightFirst) {
  const OpenPopup& parent = tracker->popups[level];
  const auto item = static_cast<size_t>(parent.highlighted);
  MenuHandle submenu = parent.menu->items[item].submenu.get();
  const Rect from = parent.rect;
  const int32_t top = ItemRect(parent, item).top;
  OpenPopupAt(
      tracker, level + 1, submenu, item,
      [&] { return PopupRect(submenu, from.right - kSubmenuOverlap, top - kPopupBorder); },
      highlightFirst);
}

void Highlight(Tracker* tracker, size_t level, int32_t item) {
  OpenPopup& popup = tracker->popups[level];
  if (popup.highlighted == item) return;
  ClosePopupsFrom(tracker, level + 1);  // the submenu of the item left behind
  popup.highlighted = item;
  RevealHighlight(&popup);
  DrawPopup(popup);
}

// Highlights the item and opens its submenu, or chooses it; a greyed item does nothing.
void Activate(Tracker* tracker, size_t level, bool highlightFirst) {
  const OpenPopup& popup = tracker->popups[level];
  if (popup.highlighted < 0) return;
  const MenuItem& item = popup.menu->items[static_cast<size_t>(popup.highlighted)];
  if (item.greyed || IsSeparator(item)) return;
  if (item.submenu) {
    OpenSubmenu(tracker, level, highlightFirst);
    return;
  }
  tracker->chosen = item.command;
  tracker->ended = true;
}

// The deepest popup under the pen and the item there (-1 on its border).
bool PopupAt(const Tracker& tracker, int32_t x, int32_t y, size_t* level, int32_t* item) {
  for (size_t l = tracker.popups.size(); l-- > 0;) {
    const OpenPopup& popup = tracker.popups[l];
    if (!RectContains(popup.rect, x, y)) continue;
    *level = l;
    *item = -1;
    if (Scrolls(popup) && RectContains(ArrowRect(popup, false), x, y)) *item = kScrollUp;
    if (Scrolls(popup) && RectContains(ArrowRect(popup, true), x, y)) *item = kScrollDown;
    for (size_t i = 0; i < popup.menu->items.size(); ++i)
      if (RectContains(ItemRect(popup, i), x, y)) *item = static_cast<int32_t>(i);
    return true;
  }
  return false;
}

void OnPenDownOnBar(Tracker* tracker, int32_t x, int32_t y) {
  const MenuBarTracking& tracking = *tracker->tracking;
  const size_t titles = CommandBarGetMenu(tracking.bar)->items.size();
  for (size_t title = 0; title < titles; ++title) {
    if (!RectContains(CommandBarTitleRect(tracking.bar, title), x, y)) continue;
    if (title == tracking.title) break;  // the open title again closes the menu
    OpenTitle(tracker, title, false);
    return;
  }
  tracker->ended = true;
}

void OnPen(Tracker* tracker, uint32_t message, int32_t x, int32_t y) {
  if (message == WM_LBUTTONDOWN) tracker->penDown = true;
  if (message == WM_MOUSEMOVE && !tracker->penDown) return;
  size_t level = 0;
  int32_t item = -1;
  const bool inPopup = PopupAt(*tracker, x, y, &level, &item);
  if (message == WM_LBUTTONDOWN && !inPopup) {
    if (y < kCommandBarHeight && CommandBarIsVisible(tracker->tracking->bar))
      OnPenDownOnBar(tracker, x, y);
    else
      tracker->ended = true;
    return;
  }
  if (inPopup && (item == kScrollUp || item == kScrollDown) && message == WM_LBUTTONDOWN) {
    OpenPopup& popup = tracker->popups[level];
    ClosePopupsFrom(tracker, level + 1);
    ScrollTo(&popup, popup.first + (item == kScrollUp ? -1 : 1));
    DrawPopup(popup);
    return;
  }
  if (!inPopup || item < 0) return;
  Highlight(tracker, level, item);
  const MenuItem& chosen = tracker->popups[level].menu->items[static_cast<size_t>(item)];
  if (message == WM_LBUTTONUP) tracker->penDown = false;
  if (chosen.submenu && message == WM_LBUTTONDOWN) Activate(tracker, level, false);
  if (!chosen.submenu && message == WM_LBUTTONUP) Activate(tracker, level, false);
}

void MoveHighlight(Tracker* tracker, int32_t step) {
  OpenPopup& popup = tracker->popups.back();
  const auto count = static_cast<int32_t>(popup.menu->items.size());
  int32_t item = popup.highlighted;
  for (int32_t tries = 0; tries < count; ++tries) {
    item = ((item < 0 && step < 0 ? count : item) + step + count) % count;
    if (!IsSeparator(popup.menu->items[static_cast<size_t>(item)])) break;
  }
  Highlight(tracker, tracker->popups.size() - 1, item);
}

void StepTitle(Tracker* tracker, int32_t step) {
  const auto titles = static_cast<int32_t>(CommandBarGetMenu(tracker->tracking->bar)->items.size());
  const int32_t title = (static_cast<int32_t>(tracker->tracking->title) + step + titles) % titles;
  OpenTitle(tracker, static_cast<size_t>(title), true);
}

bool HighlightedHasSubmenu(const OpenPopup& popup) {
  return popup.highlighted >= 0 &&
         popup.menu->items[static_cast<size_t>(popup.highlighted)].submenu != nullptr;
}

void OnKey(Tracker* tracker, uint32_t key) {
  const size_t deepest = tracker->popups.size() - 1;
  if (key == VK_ESCAPE && deepest > 0) ClosePopupsFrom(tracker, deepest);
  if ((key == VK_ESCAPE && deepest == 0) || key == VK_F10) tracker->ended = true;
  if (key == VK_UP || key == VK_DOWN) MoveHighlight(tracker, key == VK_UP ? -1 : 1);
  if (key == VK_RETURN) Activate(tracker, deepest, true);
  if (key == VK_RIGHT && HighlightedHasSubmenu(tracker->popups[deepest]))
    Activate(tracker, deepest, true);
  else if (key == VK_RIGHT)
    StepTitle(tracker, 1);
  if (key == VK_LEFT && deepest > 0)
    ClosePopupsFrom(tracker, deepest);
  else if (key == VK_LEFT)
    StepTitle(tracker, -1);
}

bool OnInput(Tracker* tracker, const Message& message) {
  if (IsPenMessage(message.message))
    OnPen(tracker, message.message, PenX(message.lParam), PenY(message.lParam));
  else if (message.message == WM_KEYDOWN && !tracker->popups.empty())
    OnKey(tracker, static_cast<uint32_t>(message.wParam));
  else if (message.message == WM_KEYDOWN)
    tracker->ended = true;
  return tracker->ended;
}

}  // namespace

Rect PopupRect(MenuHandle menu, int32_t x, int32_t y) {
  DeviceContextHandle dc = GetDC(nullptr);
  int32_t textWidth = 0;
  for (const MenuItem& item : menu->items)
    textWidth = std::max(textWidth, GetTextExtent(dc, item.text).cx);
  ReleaseDC(nullptr, dc);
  const int32_t width =
      std::max(kMinPopupWidth, textWidth + kCheckColumn + kArrowColumn + 2 * kPopupBorder);
  const int32_t maxSlots =
      std::max(kMinSlots, (ScreenHeight() - 2 * kPopupBorder) / kMenuItemHeight);
  const int32_t slots = std::min(static_cast<int32_t>(menu->items.size()), maxSlots);
  const int32_t height = slots * kMenuItemHeight + 2 * kPopupBorder;
  x = std::max(0, std::min(x, ScreenWidth() - width));
  y = std::max(0, std::min(y, ScreenHeight() - height));
  return {x, y, x + width, y + height};
}

Rect PopupItemRect(const Rect& popup, size_t index) {
  const int32_t top = popup.top + kPopupBorder + static_cast<int32_t>(index) * kMenuItemHeight;
  return {popup.left + kPopupBorder, top, popup.right - kPopupBorder, top + kMenuItemHeight};
}

Rect SubmenuRect(MenuHandle submenu, const Rect& parent, size_t item) {
  return PopupRect(submenu, parent.right - kSubmenuOverlap,
                   PopupItemRect(parent, item).top - kPopupBorder);
}

uint32_t TrackMenu(MenuBarTracking* tracking) {
  Tracker tracker{.tracking = tracking};
  OpenTitle(&tracker, tracking->title, tracking->fromKeyboard);
  RunModalLoop({.input = [&](const Message& message) { return OnInput(&tracker, message); },
                .afterDispatch = [&] { DrawAll(tracker); },
                .owner = tracking->owner});
  ClosePopupsFrom(&tracker, 0);
  if (!IsWindow(tracking->owner)) return 0;  // closed under the menu: the bar went with it
  CommandBarDrawTitles(tracking->bar, -1);
  return tracker.chosen;
}
