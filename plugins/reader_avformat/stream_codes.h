// How each codec a container brings reaches the shipped codec plug-ins: the four-character
// code and bitstream filter of a video codec, and the wave tag and framing of an audio codec.
#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/codec_id.h>
}

struct VideoCode {
  AVCodecID codec;
  const char* fourCC;           // as the video plug-in's table names it
  const char* bitstreamFilter;  // applied to every packet, or null
};

enum class AudioFraming {
  Packets,  // the packets as they are, under `tag`
  Adts,     // AAC packets behind an ADTS header, under `tag`
  Decoded,  // decoded to 16-bit PCM inside the reader, under tag 1
};

struct AudioCode {
  AVCodecID codec;
  int32_t tag;
  AudioFraming framing;
};

// The video code for `codec`, or null when no shipped plug-in decodes it from packets alone.
const VideoCode* VideoCodeFor(AVCodecID codec);
// The audio code for `codec`: a pass-through to a codec plug-in where one exists, else decoded.
AudioCode AudioCodeFor(AVCodecID codec);
