#include "plugins/reader_avformat/pcm_decoder.h"

#include <algorithm>

namespace {

bool PrepareResampler(PcmDecoder* decoder, AVFrame* frame) {
  if (decoder->resampler) return true;
  AVChannelLayout layout;
  av_channel_layout_default(&layout, decoder->channels);
  return swr_alloc_set_opts2(&decoder->resampler, &layout, AV_SAMPLE_FMT_S16, decoder->sampleRate,
                             &frame->ch_layout, AVSampleFormat(frame->format), frame->sample_rate,
                             0, nullptr) >= 0 &&
         swr_init(decoder->resampler) >= 0;
}

void AppendFrame(PcmDecoder* decoder, std::string* out) {
  AVFrame* frame = decoder->frame;
  if (!PrepareResampler(decoder, frame)) return;
  const int capacity = swr_get_out_samples(decoder->resampler, frame->nb_samples);
  if (capacity <= 0) return;
  const size_t frameBytes = size_t(decoder->channels) * kPcmSampleBytes;
  const size_t start = out->size();
  out->resize(start + size_t(capacity) * frameBytes);
  auto* target = reinterpret_cast<uint8_t*>(out->data() + start);
  const int samples =
      swr_convert(decoder->resampler, &target, capacity,
                  const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
  out->resize(start + size_t(std::max(samples, 0)) * frameBytes);
}

}  // namespace

bool OpenPcmDecoder(const AVCodecParameters* parameters, PcmDecoder* decoder) {
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  if (!codec) return false;
  decoder->context = avcodec_alloc_context3(codec);
  decoder->frame = av_frame_alloc();
  if (decoder->context && decoder->frame &&
      avcodec_parameters_to_context(decoder->context, parameters) >= 0 &&
      avcodec_open2(decoder->context, codec, nullptr) >= 0 && decoder->context->sample_rate > 0) {
    decoder->channels = std::clamp(decoder->context->ch_layout.nb_channels, 1, kMaxPcmChannels);
    decoder->sampleRate = decoder->context->sample_rate;
    return true;
  }
  // A context that did not open must not stay behind: flushing it on a seek would crash.
  ClosePcmDecoder(decoder);
  return false;
}

void ClosePcmDecoder(PcmDecoder* decoder) {
  avcodec_free_context(&decoder->context);
  av_frame_free(&decoder->frame);
  swr_free(&decoder->resampler);
  *decoder = PcmDecoder{};
}

void DecodeToPcm(PcmDecoder* decoder, const AVPacket* packet, std::string* out) {
  if (!decoder->context || avcodec_send_packet(decoder->context, packet) < 0) return;
  while (avcodec_receive_frame(decoder->context, decoder->frame) == 0) {
    AppendFrame(decoder, out);
    av_frame_unref(decoder->frame);
  }
}

void FlushPcmDecoder(PcmDecoder* decoder) {
  if (decoder->context) avcodec_flush_buffers(decoder->context);
  if (decoder->resampler) swr_init(decoder->resampler);
}
