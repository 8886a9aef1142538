// The block size of an ADPCM stream, read off its first bytes, for streams whose reader gave no
// format record to take it from. Every block starts with a per-channel header whose fields have
// a narrow range; the sizes at which all block starts in view look like headers are the
// candidates, and the one whose decoded signal runs smoothest across its block starts is the
// stream's (a wrong size decodes data as headers and jumps). Silence, square waves and noise
// can fool it, hence the record when there is one.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
}

// Candidate sizes, smallest first, that at least two block starts in view agree with (or the
// one size that spans the whole view).
std::vector<int32_t> PlausibleAdpcmBlockSizes(AVCodecID codec, int32_t channels,
                                              const uint8_t* data, int32_t length);
// Mean absolute step between neighbouring samples of the first channel; NaN when undecodable.
using BlockSizeRoughness = std::function<double(int32_t blockSize)>;
// The smoothest candidate; 0 when there is none.
int32_t ChooseAdpcmBlockSize(const std::vector<int32_t>& candidates,
                             const BlockSizeRoughness& roughness);
