// Audio the codec plug-ins cannot take from packets alone (Vorbis, Opus, FLAC, ALAC, WMA, PCM
// variants, ...), decoded inside the reader to 16-bit interleaved PCM, mono or stereo (more
// channels are mixed down) at the stream's rate.
#pragma once

#include <cstdint>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswresample/swresample.h>
}

struct PcmDecoder {
  AVCodecContext* context = nullptr;
  AVFrame* frame = nullptr;
  SwrContext* resampler = nullptr;
  int32_t channels = 0, sampleRate = 0;
};

constexpr int32_t kMaxPcmChannels = 2;
constexpr int32_t kPcmSampleBytes = 2;

bool OpenPcmDecoder(const AVCodecParameters* parameters, PcmDecoder* decoder);
void ClosePcmDecoder(PcmDecoder* decoder);
// Decodes `packet` (null drains nothing: the stream goes on) and appends the PCM to `out`.
void DecodeToPcm(PcmDecoder* decoder, const AVPacket* packet, std::string* out);
// After a seek: the decoder forgets what it held.
void FlushPcmDecoder(PcmDecoder* decoder);
