#include "codecs/pcm_pass_through.h"

#include <atomic>
#include <cstring>

#include "media/reader_state.h"

namespace {

// W audio thread (decode), main window's thread (seek brackets, equalizer calls); R audio.
std::atomic<int32_t> runningTotal{0};
std::atomic<const uint8_t*> rememberedInput{nullptr};
std::atomic<int32_t> rememberedLength{0};

}  // namespace

int32_t PcmPassThroughInit(int32_t, const int8_t*) {
  runningTotal = 0;
  rememberedInput = nullptr;
  rememberedLength = 0;
  return 0;
}

int32_t PcmPassThroughExit() {
  return 0;
}

int32_t PcmPassThroughHeader(uint8_t*, int32_t, int32_t* rate, int32_t* channels, int32_t* bitrate,
                             char16_t*, char16_t*, char16_t*) {
  *rate = currentDescriptor->SampleRate;
  *channels = currentDescriptor->Channels;
  *bitrate = currentDescriptor->PcmBitrate;
  return AUDIO_STATUS_READY;
}

int32_t PcmPassThroughDecompress(const uint8_t* input, int32_t length, uint8_t* output, int32_t,
                                 int32_t* outLength, int32_t* position) {
  if (input) {
    rememberedInput = input;
    rememberedLength = length;
    *outLength = 0;
    return AUDIO_STATUS_READY;
  }
  const int32_t copied = rememberedLength;
  if (copied > 0) std::memcpy(output, rememberedInput.load(), copied);
  *position = runningTotal += copied;
  *outLength = copied;
  return AUDIO_STATUS_CONSUMED;
}

int32_t PcmPassThroughSeekStart() {
  runningTotal = 0;
  return 0;
}

int32_t PcmPassThroughSeekEnd() {
  runningTotal = 0;
  return 0;
}
