// The audio format record (WAVEFORMATEX) the player hands over for ADPCM: what it says of the
// stream, checked against the record's own length and what the decoder can take, so that a
// damaged or hostile file is refused before anything is decoded with it.
#pragma once

#include <cstdint>
#include <vector>

#include "morvelant/audio_decoder.h"
#include "plugins/audio_avcodec/wave_tag_codecs.h"

struct WaveFormatRecord {
  int32_t channels = 0, sampleRate = 0;
  int32_t blockAlign = 0;      // bytes per block
  int32_t bitsPerSample = 0;   // bits per coded sample
  std::vector<uint8_t> extra;  // the codec data after the fixed fields (coefficients, ...)
};

// The largest block taken: one input buffer's worth, so that the header call sees the whole
// first block. A block beyond it cannot be told from a damaged record; the codecs of the
// systems that write these files use at most 2048 bytes.
constexpr int32_t kMaxBlockAlign = AUDIO_INPUT_SIZE;

// Reads a Blocks-framed codec's record. False when a field it needs is missing (the record is
// shorter than 16 bytes) or unusable: no channel or more than the decoder takes, no rate, a
// block no larger than its headers or beyond kMaxBlockAlign, bits per sample the decoder does
// not know, or extra bytes said to run past the record's end. Bits per sample 0 (unknown) or
// a record without the extra-size field mean 4-bit samples and no extra bytes.
bool ReadWaveFormatRecord(const WaveTagCodec& codec, const uint8_t* record, int32_t length,
                          WaveFormatRecord* out);
