#include "plugins/audio_avcodec/wave_tag_codecs.h"

namespace {

constexpr WaveTagCodec kWaveTagCodecs[] = {
    {.tag = 0x0002,
     .codec = AV_CODEC_ID_ADPCM_MS,
     .framing = Framing::Blocks,
     .blockHeaderBytes = 7,
     .maxChannels = 2},
    {.tag = 0x0003,
     .codec = AV_CODEC_ID_PCM_F32LE,
     .framing = Framing::Samples,
     .bytesPerSample = 4},
    {.tag = 0x0006,
     .codec = AV_CODEC_ID_PCM_ALAW,
     .framing = Framing::Samples,
     .bytesPerSample = 1},
    {.tag = 0x0007,
     .codec = AV_CODEC_ID_PCM_MULAW,
     .framing = Framing::Samples,
     .bytesPerSample = 1},
    {.tag = 0x0011,
     .codec = AV_CODEC_ID_ADPCM_IMA_WAV,
     .framing = Framing::Blocks,
     .blockHeaderBytes = 4,
     .maxChannels = 8},
    {.tag = 0x00FF, .codec = AV_CODEC_ID_AAC, .framing = Framing::Parsed},
    {.tag = 0x1600, .codec = AV_CODEC_ID_AAC, .framing = Framing::Parsed},
    {.tag = 0x706D, .codec = AV_CODEC_ID_AAC, .framing = Framing::Parsed},
    {.tag = 0x2000, .codec = AV_CODEC_ID_AC3, .framing = Framing::Parsed},
    {.tag = 0x2001, .codec = AV_CODEC_ID_DTS, .framing = Framing::Parsed},
};

}  // namespace

const WaveTagCodec* CodecForWaveTag(int32_t tag) {
  for (const WaveTagCodec& entry : kWaveTagCodecs)
    if (entry.tag == tag) return &entry;
  return nullptr;
}
