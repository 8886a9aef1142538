// MorvelantAudio: the audio codec for the wave format tags libavcodec serves besides MPEG audio
// (AAC in ADTS, AC-3, DTS, IMA and MS ADPCM, A-law, mu-law, float). The player names the tag
// through DecoderSetFormat and, for files whose container has one, hands over the stream's
// format record through DecoderSetWaveFormat: ADPCM takes its block size, bits per sample and
// codec data from there (without a record the block size is guessed from the data). The header
// call decodes a trial frame from the first buffer to learn the stream's rate and channels. Output
// is 16-bit, mono or stereo (more channels are mixed down), at the requested rate when one is
// asked. This codec leaves the equalizer out.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswresample/swresample.h>
}

#include "morvelant/audio_decoder.h"
#include "plugins/audio_avcodec/adpcm_blocks.h"
#include "plugins/audio_avcodec/wave_format_record.h"
#include "plugins/audio_avcodec/wave_tag_codecs.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kMaxOutputChannels = 2;
constexpr int32_t kBytesPerOutputSample = 2;
constexpr int kAdpcmBitsPerSample = 4;  // WAV ADPCM without a record

struct StreamFormat {
  int32_t channels = 0, sampleRate = 0;  // as the reader reported them, 0 = unknown
};

struct Decoder {
  AVCodecContext* context = nullptr;
  AVCodecParserContext* parser = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
};

// DecoderInit, SeekStart and SeekEnd may come from the main window's thread while the audio
// thread decodes: every entry point holds this lock.
std::mutex codecLock;
const WaveTagCodec* format = nullptr;
StreamFormat reported;
// The format record of the item, when the player gave one (Blocks framing only).
bool recordGiven = false;
bool recordRefused = false;  // the player refused the item's audio; nothing decodes
WaveFormatRecord record;
Decoder decoder;
int32_t blockSize = 0;
bool started = false;  // between DecoderInit and DecoderExit
SwrContext* resampler = nullptr;
int32_t outputRate = 0, outputChannels = 0;
std::vector<uint8_t> unparsed;  // input not yet cut into packets
size_t unparsedRead = 0;
std::vector<uint8_t> pending;  // PCM not handed out yet
size_t pendingRead = 0;
int32_t consumed = 0;

void CloseDecoder(Decoder* closing) {
  av_parser_close(closing->parser);
  closing->parser = nullptr;
  avcodec_free_context(&closing->context);
  av_packet_free(&closing->packet);
  av_frame_free(&closing->frame);
}

// The record's codec data, in the padded buffer libavcodec reads it from.
bool GiveExtraData(AVCodecContext* context) {
  if (record.extra.empty()) return true;
  const size_t size = record.extra.size();
  context->extradata = static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
  if (!context->extradata) return false;
  std::memcpy(context->extradata, record.extra.data(), size);
  context->extradata_size = int(size);
  return true;
}

bool OpenDecoder(Decoder* opening) {
  CloseDecoder(opening);
  const AVCodec* codec = format ? avcodec_find_decoder(format->codec) : nullptr;
  if (!codec) return false;
  opening->context = avcodec_alloc_context3(codec);
  opening->packet = av_packet_alloc();
  opening->frame = av_frame_alloc();
  if (!opening->context || !opening->packet || !opening->frame) return false;
  if (format->framing == Framing::Parsed) {
    opening->parser = av_parser_init(format->codec);
    if (!opening->parser) return false;
  } else {
    av_channel_layout_default(&opening->context->ch_layout, reported.channels);
    opening->context->sample_rate = reported.sampleRate;
    opening->context->bits_per_coded_sample =
        recordGiven ? record.bitsPerSample : kAdpcmBitsPerSample;
    opening->context->block_align =
        format->framing == Framing::Blocks ? blockSize : reported.channels * format->bytesPerSample;
    if (recordGiven && !GiveExtraData(opening->context)) return false;
  }
  return avcodec_open2(opening->context, codec, nullptr) == 0;
}

void ForgetBuffers() {
  unparsed.clear();
  unparsedRead = 0;
  pending.clear();
  pendingRead = 0;
}

// The next packet's bytes from `unparsed`, or false when more input is needed.
bool NextPacket(Decoder* from, std::vector<uint8_t>* bytes) {
  const uint8_t* data = unparsed.data() + unparsedRead;
  const int32_t available = int32_t(unparsed.size() - unparsedRead);
  if (format->framing == Framing::Parsed) {
    int32_t remaining = available;
    while (remaining > 0) {
      uint8_t* out = nullptr;
      int outSize = 0;
      const int used = av_parser_parse2(from->parser, from->context, &out, &outSize, data,
                                        remaining, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
      if (used < 0) return false;
      data += used;
      remaining -= used;
      unparsedRead += size_t(used);
      if (outSize > 0) {
        bytes->assign(out, out + outSize);
        return true;
      }
    }
    return false;
  }
  // ADPCM decoders take one block per packet; plain samples go in any whole number.
  const int32_t unit = from->context->block_align;
  const int32_t take = unit <= 0 || available < unit        ? 0
                       : format->framing == Framing::Blocks ? unit
                                                            : available / unit * unit;
  if (take == 0) return false;
  bytes->assign(data, data + take);
  unparsedRead += size_t(take);
  return true;
}

// Sends packets until the decoder gives a frame; false when the input is used up.
bool ReceiveFrame(Decoder* from) {
  std::vector<uint8_t> bytes;
  while (avcodec_receive_frame(from->context, from->frame) != 0) {
    if (!NextPacket(from, &bytes)) return false;
    av_packet_unref(from->packet);
    if (av_new_packet(from->packet, int(bytes.size())) < 0) return false;
    std::memcpy(from->packet->data, bytes.data(), bytes.size());
    avcodec_send_packet(from->context, from->packet);
  }
  return true;
}

bool PrepareResampler(AVFrame* frame) {
  if (resampler) return true;
  AVChannelLayout layout;
  av_channel_layout_default(&layout, outputChannels);
  const int result =
      swr_alloc_set_opts2(&resampler, &layout, AV_SAMPLE_FMT_S16, outputRate, &frame->ch_layout,
                          AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
  return result >= 0 && swr_init(resampler) >= 0;
}

bool ConvertFrame(AVFrame* frame) {
  if (!PrepareResampler(frame)) return false;
  const int capacity = swr_get_out_samples(resampler, frame->nb_samples);
  pending.resize(size_t(capacity) * outputChannels * kBytesPerOutputSample);
  uint8_t* out = pending.data();
  const int samples =
      swr_convert(resampler, &out, capacity, const_cast<const uint8_t**>(frame->extended_data),
                  frame->nb_samples);
  pending.resize(size_t(std::max(samples, 0)) * outputChannels * kBytesPerOutputSample);
  pendingRead = 0;
  return true;
}

bool DecodeMore() {
  while (ReceiveFrame(&decoder)) {
    const bool converted = ConvertFrame(decoder.frame);
    av_frame_unref(decoder.frame);
    if (converted && !pending.empty()) return true;
  }
  // Keep the unread tail only.
  unparsed.erase(unparsed.begin(), unparsed.begin() + long(unparsedRead));
  unparsedRead = 0;
  return false;
}

int32_t Drain(uint8_t* output, int32_t limit) {
  int32_t written = 0;
  while (written < limit) {
    if (pendingRead == pending.size() && !DecodeMore()) break;
    const size_t count = std::min(size_t(limit - written), pending.size() - pendingRead);
    std::memcpy(output + written, pending.data() + pendingRead, count);
    pendingRead += count;
    written += int32_t(count);
  }
  return written;
}

// Mean absolute step between neighbouring samples of the first channel over every block of
// the buffer, decoded with `size` as the block size.
double BlockRoughness(const uint8_t* input, int32_t length, int32_t size) {
  blockSize = size;
  Decoder trial;
  unparsed.assign(input, input + length);
  unparsedRead = 0;
  double steps = 0;
  int64_t count = 0;
  if (OpenDecoder(&trial)) {
    while (ReceiveFrame(&trial)) {
      const AVFrame* frame = trial.frame;
      const int stride =
          av_sample_fmt_is_planar(AVSampleFormat(frame->format)) ? 1 : frame->ch_layout.nb_channels;
      const int16_t* samples = reinterpret_cast<const int16_t*>(frame->data[0]);
      for (int i = 1; i < frame->nb_samples; ++i, ++count)
        steps += std::abs(samples[i * stride] - samples[(i - 1) * stride]);
      av_frame_unref(trial.frame);
    }
  }
  CloseDecoder(&trial);
  ForgetBuffers();
  return count ? steps / double(count) : NAN;
}

// Bits per second of a stream of fixed-size packets, from one packet and the frame it gave.
// libavcodec leaves these decoders' bit rate at its default, not the stream's.
int32_t CodedBitrate(const AVPacket* packet, const AVFrame* frame) {
  if (frame->nb_samples <= 0) return 0;
  const int64_t bits = int64_t{packet->size} * 8 * frame->sample_rate / frame->nb_samples;
  return int32_t(std::min<int64_t>(bits, INT32_MAX));
}

// Decodes one frame from the header buffer with a decoder of its own, to learn the format.
bool TrialDecode(const uint8_t* input, int32_t length, int32_t* rate, int32_t* channels,
                 int32_t* bitrate) {
  if (format->framing == Framing::Blocks && recordGiven)
    blockSize = record.blockAlign;
  else if (format->framing == Framing::Blocks)
    blockSize = ChooseAdpcmBlockSize(
        PlausibleAdpcmBlockSizes(format->codec, reported.channels, input, length),
        [&](int32_t size) { return BlockRoughness(input, length, size); });
  Decoder trial;
  unparsed.assign(input, input + length);
  // A block as long as a whole input buffer is a byte longer than the retry's buffer: padded,
  // its header decodes alike.
  if (format->framing == Framing::Blocks && recordGiven)
    unparsed.resize(std::max<size_t>(unparsed.size(), size_t(blockSize)));
  unparsedRead = 0;
  // Raw formats such as A-law decode whatever the record claims: a frame without a rate or a
  // channel was not understood, and no device could play it.
  const bool decoded = OpenDecoder(&trial) && ReceiveFrame(&trial) &&
                       trial.frame->sample_rate > 0 && trial.frame->ch_layout.nb_channels > 0;
  if (decoded) {
    *rate = trial.frame->sample_rate;
    *channels = trial.frame->ch_layout.nb_channels;
    *bitrate = format->framing == Framing::Parsed ? int32_t(trial.context->bit_rate)
                                                  : CodedBitrate(trial.packet, trial.frame);
  }
  CloseDecoder(&trial);
  ForgetBuffers();
  return decoded;
}

}  // namespace

EXPORT void DecoderSetFormat(int32_t tag, int32_t channels, int32_t sampleRate) {
  std::lock_guard<std::mutex> hold(codecLock);
  format = CodecForWaveTag(tag);
  reported = {.channels = channels, .sampleRate = sampleRate};
  recordGiven = recordRefused = false;
  record = {};
}

// Only ADPCM needs the record; the other framings learn all they need from the stream.
EXPORT int32_t DecoderSetWaveFormat(const uint8_t* bytes, int32_t length) {
  std::lock_guard<std::mutex> hold(codecLock);
  if (!format) return -1;
  if (format->framing != Framing::Blocks) return 0;
  recordGiven = ReadWaveFormatRecord(*format, bytes, length, &record);
  recordRefused = !recordGiven;
  if (recordRefused) return -1;
  reported = {.channels = record.channels, .sampleRate = record.sampleRate};
  return 0;
}

EXPORT int32_t DecoderInit(int32_t, const int8_t*) {
  std::lock_guard<std::mutex> hold(codecLock);
  if (started) return 0;
  started = true;
  consumed = 0;
  outputRate = outputChannels = 0;
  ForgetBuffers();
  return format && !recordRefused ? 0 : -1;
}

EXPORT int32_t DecoderExit() {
  std::lock_guard<std::mutex> hold(codecLock);
  started = false;
  CloseDecoder(&decoder);
  swr_free(&resampler);
  ForgetBuffers();
  return 0;
}

EXPORT int32_t GetHeaderInfo(uint8_t* input, int32_t length, int32_t* rate, int32_t* channels,
                             int32_t* bitrate, char16_t*, char16_t*, char16_t*) {
  std::lock_guard<std::mutex> hold(codecLock);
  int32_t streamRate = 0, streamChannels = 0, streamBitrate = 0;
  if (!format || recordRefused ||
      !TrialDecode(input, length, &streamRate, &streamChannels, &streamBitrate))
    return AUDIO_STATUS_CONSUMED;
  if (!OpenDecoder(&decoder)) return AUDIO_STATUS_CONSUMED;
  swr_free(&resampler);
  outputRate = *rate > 0 ? *rate : streamRate;
  outputChannels = std::min(streamChannels, kMaxOutputChannels);
  *rate = outputRate;
  *channels = outputChannels;
  *bitrate = streamBitrate;
  return AUDIO_STATUS_READY;
}

EXPORT int32_t DecompressAudio(const uint8_t* input, int32_t length, uint8_t* output,
                               int32_t capacity, int32_t* outLength, int32_t* position) {
  std::lock_guard<std::mutex> hold(codecLock);
  *outLength = 0;
  if (!decoder.context) return -1;
  if (input && length > 0) {
    unparsed.insert(unparsed.end(), input, input + length);
    consumed += length;
  }
  const int32_t frameBytes = kBytesPerOutputSample * std::max(outputChannels, 1);
  *outLength = Drain(output, capacity - capacity % frameBytes);
  *position = consumed;
  return pendingRead < pending.size() || DecodeMore() ? AUDIO_STATUS_READY : AUDIO_STATUS_CONSUMED;
}

EXPORT int32_t SeekStart() {
  std::lock_guard<std::mutex> hold(codecLock);
  ForgetBuffers();
  return 0;
}

// The stream goes on from somewhere else: start the decoder and its parser afresh.
EXPORT int32_t SeekEnd() {
  std::lock_guard<std::mutex> hold(codecLock);
  ForgetBuffers();
  consumed = 0;
  if (decoder.context) OpenDecoder(&decoder);
  if (resampler) swr_init(resampler);
  return 0;
}
