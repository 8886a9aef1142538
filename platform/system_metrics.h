// System metrics and the OEM information string.
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t SM_CXSCREEN = 0;
constexpr int32_t SM_CYSCREEN = 1;

// Screen width and height in pixels; other indexes answer 0.
int32_t GetSystemMetrics(int32_t index);
// Set by the backend when it opens its screen.
void SetScreenMetrics(int32_t width, int32_t height);
