#include "codecs/audio_decode_harness.h"

#include <cstring>
#include <memory>

namespace {

struct Pass {
  const AudioDecoderCalls& decoder;
  const AudioByteSource& source;
  AudioPassResult* result;
  uint8_t input[AUDIO_INPUT_SIZE];
  uint8_t output[AUDIO_OUTPUT_BUFFER_SIZE];
};

// The keep count a status carries: 0 for "all used" and for negative statuses.
int32_t KeepCount(int32_t status) {
  return status == AUDIO_STATUS_CONSUMED || status < 0 ? 0 : status;
}

int32_t ReadBehind(Pass* pass, int32_t keep) {
  std::memmove(pass->input, pass->input + AUDIO_INPUT_SIZE - keep, keep);
  return pass->source(pass->input + keep, AUDIO_INPUT_SIZE - keep);
}

int32_t Header(Pass* pass, int32_t length) {
  AudioPassResult* r = pass->result;
  const int32_t status = pass->decoder.GetHeaderInfo(pass->input, length, &r->rate, &r->channels,
                                                     &r->bitrate, r->title, r->artist, r->album);
  r->headerStatuses.push_back(status);
  return status;
}

bool ReadHeader(Pass* pass) {
  if (pass->source(pass->input, AUDIO_INPUT_SIZE) == 0) return false;
  while (Header(pass, AUDIO_INPUT_SIZE) != AUDIO_STATUS_READY)
    if (ReadBehind(pass, KeepCount(pass->result->headerStatuses.back())) == 0) return false;
  return true;
}

int32_t Decompress(Pass* pass, const uint8_t* input, int32_t length) {
  int32_t outLength = 0;
  const int32_t status = pass->decoder.DecompressAudio(
      input, length, pass->output, AUDIO_OUTPUT_CAPACITY, &outLength, &pass->result->lastPosition);
  if (status != AUDIO_STATUS_ABORT)
    pass->result->pcm.insert(pass->result->pcm.end(), pass->output, pass->output + outLength);
  return status;
}

// The decode loop: the header buffer is decoded first, whole; then fresh bytes behind what the
// decoder kept, each call drained until it has no more output pending.
int32_t DecodeLoop(Pass* pass) {
  int32_t status = AUDIO_INPUT_SIZE;
  do {
    const int32_t keep = KeepCount(status);
    int32_t length = keep;
    if (keep != AUDIO_INPUT_SIZE) {
      const int32_t read = ReadBehind(pass, keep);
      if (read == 0) return kAudioEndOfInput;
      length += read;
    }
    status = Decompress(pass, pass->input, length);
    while (status == AUDIO_STATUS_READY) status = Decompress(pass, nullptr, 0);
    if (status == AUDIO_STATUS_ABORT) return status;
  } while (status > 0 && status != AUDIO_INPUT_SIZE);
  return status;
}

}  // namespace

bool RunAudioDecodingPass(const AudioDecoderCalls& decoder, const AudioByteSource& source,
                          const AudioPassOptions& options, AudioPassResult* result) {
  auto pass = std::make_unique<Pass>(Pass{.decoder = decoder, .source = source, .result = result});
  decoder.DecoderInit(options.equalizerOn, options.bands);
  result->rate = 0;
  if (!ReadHeader(pass.get())) {
    decoder.DecoderExit();
    return false;
  }
  if (options.retryRate) {
    decoder.DecoderExit();
    decoder.DecoderInit(options.equalizerOn, nullptr);
    result->rate = options.retryRate;
    Header(pass.get(), AUDIO_RETRY_INPUT_SIZE);
  }
  result->endStatus = DecodeLoop(pass.get());
  decoder.DecoderExit();
  return true;
}
