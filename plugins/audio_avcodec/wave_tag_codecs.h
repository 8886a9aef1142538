// Which libavcodec decoder serves a wave format tag, and how its byte stream is cut into packets.
#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/codec_id.h>
}

enum class Framing {
  Parsed,   // self-synchronising frames (AAC in ADTS, AC-3, DTS): libavcodec's parser cuts them
  Blocks,   // fixed blocks that start with a header (ADPCM): the format record gives their size,
            // or, without a record, it is read off the data
  Samples,  // plain samples (A-law, mu-law, float): any whole number of sample frames
};

struct WaveTagCodec {
  int32_t tag;
  AVCodecID codec;
  Framing framing;
  int32_t bytesPerSample;  // Samples framing only
  // Blocks framing only: the header each channel's part of a block starts with, and the most
  // channels the decoder takes.
  int32_t blockHeaderBytes;
  int32_t maxChannels;
};

// Null for a tag this plug-in does not decode.
const WaveTagCodec* CodecForWaveTag(int32_t tag);
