// The look shared by the command bar, its menus, the list view, the dialogs and the file
// chooser: colours, sizes and the small drawing steps they all use. Main thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/drawing.h"
#include "platform/screen_save.h"

constexpr uint32_t kFaceColor = RGB(212, 208, 200);
constexpr uint32_t kLightColor = RGB(255, 255, 255);
constexpr uint32_t kShadowColor = RGB(128, 128, 128);
constexpr uint32_t kDarkColor = RGB(64, 64, 64);
constexpr uint32_t kTextColor = RGB(0, 0, 0);
constexpr uint32_t kGreyedTextColor = RGB(128, 128, 128);
constexpr uint32_t kHighlightColor = RGB(10, 36, 106);
constexpr uint32_t kHighlightTextColor = RGB(255, 255, 255);
constexpr uint32_t kFieldColor = RGB(255, 255, 255);

constexpr int32_t kScrollBarWidth = 16;

enum class ArrowDirection { Up, Down, Left, Right };

void DrawRaisedFrame(DeviceContextHandle dc, const Rect& rect);
void DrawSunkenFrame(DeviceContextHandle dc, const Rect& rect);
// One line of text in `color` inside `rect` with the DT_ alignment, transparent background.
void DrawLabel(DeviceContextHandle dc, std::u16string_view text, Rect rect, uint32_t format,
               uint32_t color);
// A tick about 9 pixels square with its top-left corner at (x, y).
void DrawCheckMark(DeviceContextHandle dc, int32_t x, int32_t y, uint32_t color);
// A small solid triangle centred in `rect`.
void DrawArrow(DeviceContextHandle dc, const Rect& rect, ArrowDirection direction, uint32_t color);
bool RectContains(const Rect& rect, int32_t x, int32_t y);
