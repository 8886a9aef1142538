// The wave-out volume word of device 0 and the player's percentages: left channel in the low 16
// bits, right in the high 16; the player always sets both alike and reads the left one.
#pragma once

#include <cstdint>

constexpr uint32_t kVolumeChannelMax = 65535;

// p per cent (0..100) as the word with v = (p x 65535) / 100 in both channels.
constexpr uint32_t VolumeWordOf(int32_t percent) {
  const uint32_t v = static_cast<uint32_t>(percent) * kVolumeChannelMax / 100;
  return v | (v << 16);
}
// The left channel as a percentage: (left x 100) / 65535.
constexpr int32_t VolumePercentOf(uint32_t word) {
  return static_cast<int32_t>((word & 0xFFFF) * 100 / kVolumeChannelMax);
}
