#include "plugins/audio_avcodec/wave_format_record.h"

#include <cstdint>

namespace {

// Byte offsets of the record's fields.
constexpr int32_t kChannelsAt = 2, kRateAt = 4, kBlockAlignAt = 12, kBitsAt = 14, kExtraSizeAt = 16;
constexpr int32_t kFieldsWithBits = 16;  // every field up to bits per sample
constexpr int32_t kFixedBytes = 18;      // ... and the extra size
constexpr int32_t kDefaultBits = 4;
// libavcodec's IMA ADPCM takes 2 to 5 bits per sample; MS ADPCM is 4-bit only.
constexpr int32_t kImaLowestBits = 2, kImaHighestBits = 5;

uint16_t Read16(const uint8_t* bytes) {
  return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t Read32(const uint8_t* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

bool BitsUsable(const WaveTagCodec& codec, int32_t bits) {
  if (codec.codec == AV_CODEC_ID_ADPCM_IMA_WAV)
    return bits >= kImaLowestBits && bits <= kImaHighestBits;
  return bits == kDefaultBits;
}

}  // namespace

bool ReadWaveFormatRecord(const WaveTagCodec& codec, const uint8_t* record, int32_t length,
                          WaveFormatRecord* out) {
  if (!record || length < kFieldsWithBits) return false;
  const int32_t channels = Read16(record + kChannelsAt);
  const uint32_t rate = Read32(record + kRateAt);
  const int32_t blockAlign = Read16(record + kBlockAlignAt);
  const int32_t bits = Read16(record + kBitsAt) == 0 ? kDefaultBits : Read16(record + kBitsAt);
  const bool hasExtraSize = length >= kFixedBytes;
  const int32_t extraSize = hasExtraSize ? Read16(record + kExtraSizeAt) : 0;
  if (channels < 1 || channels > codec.maxChannels) return false;
  if (rate == 0 || rate > INT32_MAX) return false;
  if (blockAlign <= codec.blockHeaderBytes * channels || blockAlign > kMaxBlockAlign) return false;
  if (!BitsUsable(codec, bits)) return false;
  if (hasExtraSize && extraSize > length - kFixedBytes) return false;
  *out = {.channels = channels,
          .sampleRate = int32_t(rate),
          .blockAlign = blockAlign,
          .bitsPerSample = bits,
          .extra = {}};
  if (extraSize > 0) out->extra.assign(record + kFixedBytes, record + kFixedBytes + extraSize);
  return true;
}
