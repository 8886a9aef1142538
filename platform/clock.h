// Time: the 32-bit millisecond tick count the player paces with, and sleeping.
#pragma once

#include <cstdint>

// Milliseconds since start, wrapping at 2^32. Any thread.
uint32_t GetTickCount();
// Tests drive the tick count: while driven, GetTickCount returns `ticks` and nothing else.
void DriveTickCount(uint32_t ticks);
void ReleaseTickCount();
// Blocks the calling thread for at least `milliseconds`.
void Sleep(uint32_t milliseconds);
