// Which libavcodec decoder serves a four-character code.
#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/codec_id.h>
}

// AV_CODEC_ID_NONE for a code this plug-in does not decode. Case does not matter.
AVCodecID CodecForFourCC(const char* fourCC);
