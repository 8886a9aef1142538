// Opening and closing the current item: every change of the playing item goes through these two.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/window.h"

constexpr uint32_t kWaitCursorMessage = 1134;  // lParam 1: wait cursor on; 0: off
constexpr uint32_t kPaintMessage = 15;         // lParam 0: everything; 1: picture and controls
constexpr uint32_t kFirstChapterCommand = 40061;
constexpr uint32_t kEndOfChaptersCommand = 40060;

// Closes what is open and opens currentPath. startFrame < 0 closes only; 0 opens at the start;
// > 0 opens and then seeks to that frame. Main thread; returns at once while an opening runs.
void OpenItem(WindowHandle window, int32_t startFrame);
// After currentPath changed: stops a running playback (whose end opens the item again) or
// opens the item at once.
void RestartItem(WindowHandle window);
// The cover picture's path for an item: its folder and "folder.jpg".
std::u16string CoverPicturePath(std::u16string_view itemPath);
