// The player's equalizer bytes as gains for the 32 synthesis subbands of an MPEG audio decoder.
#pragma once

#include <cstdint>

constexpr int kEqualizerBytes = 11;  // byte 0 the preamplifier, then 31 Hz .. 16 kHz
constexpr int kMpegSubbands = 32;

// True when every byte is 0 (flat): the decoder's equalizer is then left out entirely.
bool EqualizerIsFlat(const int8_t* bands);
// The linear gain of `subband` for a stream sampled at `sampleRate`: the preamplifier plus the
// band gain interpolated in dB over log frequency at the subband's centre.
double SubbandGain(const int8_t* bands, int subband, int32_t sampleRate);
