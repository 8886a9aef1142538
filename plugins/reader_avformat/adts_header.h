// ADTS framing for AAC packets that a container keeps bare, with the stream's set-up in its
// AudioSpecificConfig: each packet gets the 7-byte header a raw AAC stream carries.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kAdtsHeaderBytes = 7;

struct AdtsConfig {
  int objectType = 0;  // 1 = Main, 2 = LC, 3 = SSR, 4 = LTP
  int rateIndex = 0;   // sampling frequency index
  int channelConfig = 0;
};

// Reads the first bytes of an AudioSpecificConfig; false when there are fewer than two or the
// object type, rate or channel configuration does not fit an ADTS header.
bool ReadAudioSpecificConfig(const uint8_t* config, size_t size, AdtsConfig* adts);
// The header of a frame of `payloadBytes` bytes.
void WriteAdtsHeader(const AdtsConfig& adts, size_t payloadBytes, uint8_t header[kAdtsHeaderBytes]);
// True when `bytes` already start with an ADTS header.
bool StartsWithAdts(const uint8_t* bytes, size_t size);
