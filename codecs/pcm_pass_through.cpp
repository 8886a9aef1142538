#include "codecs/pcm_pass_through.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "media/reader_state.h"

namespace {

// W main (codec loading, while no audio thread runs); R audio.
std::atomic<int32_t> sampleBits{16};
// W audio thread (decode), main window's thread (seek brackets, equalizer calls); R audio.
std::atomic<int32_t> runningTotal{0};
std::atomic<const uint8_t*> rememberedInput{nullptr};
std::atomic<int32_t> rememberedLength{0};

// 8-bit PCM is unsigned around 128; the device plays signed 16-bit samples.
void WidenUnsigned8(const uint8_t* input, int32_t count, uint8_t* output) {
  for (int32_t i = 0; i < count; ++i) {
    const auto sample = static_cast<uint16_t>((input[i] - 128) * 256);
    output[2 * i] = uint8_t(sample & 0xFF);
    output[2 * i + 1] = uint8_t(sample >> 8);
  }
}

}  // namespace

void PcmPassThroughSetSampleBits(int32_t bits) {
  sampleBits = bits;
}

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

// 16-bit input goes out whole, one input buffer per wave buffer; 8-bit input, twice as long once
// widened, goes out in pieces of the capacity.
int32_t PcmPassThroughDecompress(const uint8_t* input, int32_t length, uint8_t* output,
                                 int32_t capacity, int32_t* outLength, int32_t* position) {
  if (input) {
    rememberedInput = input;
    rememberedLength = length;
    *outLength = 0;
    return AUDIO_STATUS_READY;
  }
  // An equalizer toggle on the window's thread may initialise this decoder in between: a
  // forgotten input has nothing left.
  const uint8_t* from = rememberedInput;
  const int32_t remaining = from ? rememberedLength.load() : 0;
  int32_t taken = remaining;
  if (sampleBits == 8) {
    taken = std::min(remaining, capacity / 2);
    WidenUnsigned8(from, taken, output);
    *outLength = 2 * taken;
  } else {
    if (taken > 0) std::memcpy(output, from, taken);
    *outLength = taken;
  }
  rememberedInput = from + taken;
  rememberedLength = remaining - taken;
  *position = runningTotal += taken;
  return rememberedLength > 0 ? AUDIO_STATUS_READY : AUDIO_STATUS_CONSUMED;
}

int32_t PcmPassThroughSeekStart() {
  runningTotal = 0;
  return 0;
}

int32_t PcmPassThroughSeekEnd() {
  runningTotal = 0;
  return 0;
}
