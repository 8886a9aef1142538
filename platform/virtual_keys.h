// Virtual-key codes: the numbers key bindings and WM_KEYDOWN carry.
#pragma once

#include <cstdint>

constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_PRIOR = 0x21;  // Page Up
constexpr uint32_t VK_NEXT = 0x22;   // Page Down
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_F1 = 0x70;  // F2..F12 follow
constexpr uint32_t VK_F10 = 0x79;
constexpr uint32_t VK_F11 = 0x7A;
constexpr uint32_t VK_VOLUME_MUTE = 0xAD;
constexpr uint32_t VK_VOLUME_DOWN = 0xAE;
constexpr uint32_t VK_VOLUME_UP = 0xAF;
constexpr uint32_t VK_MEDIA_NEXT_TRACK = 0xB0;
constexpr uint32_t VK_MEDIA_PREV_TRACK = 0xB1;
constexpr uint32_t VK_MEDIA_STOP = 0xB2;
constexpr uint32_t VK_MEDIA_PLAY_PAUSE = 0xB3;
// Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).
