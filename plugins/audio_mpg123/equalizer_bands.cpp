#include "plugins/audio_mpg123/equalizer_bands.h"

#include <cmath>

namespace {

constexpr int kBandCount = kEqualizerBytes - 1;
constexpr double kBandCentresHz[kBandCount] = {31,   62,   125,  250,  500,
                                               1000, 2000, 4000, 8000, 16000};

double BandDecibels(const int8_t* bands, double hertz) {
  const int8_t* gains = bands + 1;
  if (hertz <= kBandCentresHz[0]) return gains[0];
  for (int band = 0; band + 1 < kBandCount; ++band) {
    const double low = kBandCentresHz[band], high = kBandCentresHz[band + 1];
    if (hertz >= high) continue;
    const double t = std::log(hertz / low) / std::log(high / low);
    return gains[band] + t * (gains[band + 1] - gains[band]);
  }
  return gains[kBandCount - 1];
}

}  // namespace

bool EqualizerIsFlat(const int8_t* bands) {
  for (int i = 0; i < kEqualizerBytes; ++i)
    if (bands[i] != 0) return false;
  return true;
}

double SubbandGain(const int8_t* bands, int subband, int32_t sampleRate) {
  const double centre = (subband + 0.5) * sampleRate / (2.0 * kMpegSubbands);
  return std::pow(10.0, (bands[0] + BandDecibels(bands, centre)) / 20.0);
}
