#include "plugins/reader_avformat/adts_header.h"

namespace {

constexpr int kMaxAdtsObjectType = 4;     // ADTS carries the profile in two bits
constexpr int kEscapeRateIndex = 15;      // an explicit rate follows: not expressible in ADTS
constexpr int kMaxAdtsChannelConfig = 7;  // three bits; 8 and above are reserved
constexpr size_t kMaxFrameBytes = 0x1FFF;

}  // namespace

bool ReadAudioSpecificConfig(const uint8_t* config, size_t size, AdtsConfig* adts) {
  if (!config || size < 2) return false;
  adts->objectType = config[0] >> 3;
  adts->rateIndex = (config[0] & 7) << 1 | config[1] >> 7;
  adts->channelConfig = (config[1] >> 3) & 15;
  return adts->objectType >= 1 && adts->objectType <= kMaxAdtsObjectType &&
         adts->rateIndex != kEscapeRateIndex && adts->channelConfig <= kMaxAdtsChannelConfig;
}

void WriteAdtsHeader(const AdtsConfig& adts, size_t payloadBytes,
                     uint8_t header[kAdtsHeaderBytes]) {
  const size_t frame = payloadBytes + kAdtsHeaderBytes > kMaxFrameBytes
                           ? kMaxFrameBytes
                           : payloadBytes + kAdtsHeaderBytes;
  header[0] = 0xFF;
  header[1] = 0xF1;  // MPEG-4, layer 0, no CRC
  header[2] = uint8_t((adts.objectType - 1) << 6 | adts.rateIndex << 2 | adts.channelConfig >> 2);
  header[3] = uint8_t((adts.channelConfig & 3) << 6 | frame >> 11);
  header[4] = uint8_t(frame >> 3);
  header[5] = uint8_t((frame & 7) << 5 | 0x1F);  // buffer fullness 0x7FF: variable rate
  header[6] = 0xFC;                              // one raw data block
}

bool StartsWithAdts(const uint8_t* bytes, size_t size) {
  return size >= kAdtsHeaderBytes && bytes[0] == 0xFF && (bytes[1] & 0xF6) == 0xF0;
}
