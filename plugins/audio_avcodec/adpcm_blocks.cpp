#include "plugins/audio_avcodec/adpcm_blocks.h"

#include <cmath>

namespace {

constexpr int32_t kCandidateSizes[] = {256, 512, 1024, 2048, 4096};
constexpr uint8_t kImaLastStepIndex = 88;
constexpr uint8_t kMsLastPredictor = 6;
constexpr int32_t kImaHeaderBytes = 4;  // per channel: sample (2), step index, 0

bool LooksLikeHeader(AVCodecID codec, int32_t channels, const uint8_t* block) {
  for (int32_t channel = 0; channel < channels; ++channel) {
    if (codec == AV_CODEC_ID_ADPCM_MS) {
      if (block[channel] > kMsLastPredictor) return false;
      continue;
    }
    const uint8_t* header = block + channel * kImaHeaderBytes;
    if (header[2] > kImaLastStepIndex || header[3] != 0) return false;
  }
  return true;
}

}  // namespace

std::vector<int32_t> PlausibleAdpcmBlockSizes(AVCodecID codec, int32_t channels,
                                              const uint8_t* data, int32_t length) {
  std::vector<int32_t> sizes;
  for (const int32_t size : kCandidateSizes) {
    if (size > length) break;
    bool fits = true;
    for (int32_t at = 0; fits && at + kImaHeaderBytes * channels <= length; at += size)
      fits = LooksLikeHeader(codec, channels, data + at);
    if (fits && (2 * size <= length || sizes.empty())) sizes.push_back(size);
  }
  return sizes;
}

int32_t ChooseAdpcmBlockSize(const std::vector<int32_t>& candidates,
                             const BlockSizeRoughness& roughness) {
  int32_t best = 0;
  double smoothest = INFINITY;
  for (const int32_t size : candidates) {
    const double value = roughness(size);
    if (std::isnan(value) || value >= smoothest) continue;
    smoothest = value;
    best = size;
  }
  return best;
}
