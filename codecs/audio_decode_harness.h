// A host for audio codecs outside the player: drives a decoder through one decoding pass with
// the calls, buffer sizes and status handling of the audio thread, pulling stream bytes from a
// source and collecting the PCM. The probe tool and the codec tests use it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "morvelant/audio_decoder.h"

struct AudioDecoderCalls {
  DecoderInitFunction DecoderInit;
  DecoderExitFunction DecoderExit;
  GetHeaderInfoFunction GetHeaderInfo;
  DecompressAudioFunction DecompressAudio;
};

// Fills `destination` with up to `length` stream bytes; 0 = the stream has ended.
using AudioByteSource = std::function<int32_t(uint8_t* destination, int32_t length)>;

struct AudioPassOptions {
  uint8_t equalizerOn = 0;
  const int8_t* bands = nullptr;
  // Nonzero: after the header, act as if the sound device refused the format and ask for this
  // rate with the AUDIO_RETRY_INPUT_SIZE header call, as the audio thread does.
  int32_t retryRate = 0;
};

struct AudioPassResult {
  int32_t rate = 0, channels = 0, bitrate = 0;
  std::vector<int32_t> headerStatuses;  // every GetHeaderInfo result, in order
  std::vector<uint8_t> pcm;             // every byte of output, in order
  int32_t lastPosition = 0;             // the last position DecompressAudio reported
  int32_t endStatus = 0;                // what ended decoding (-3 when the source ran out)
  char16_t title[AUDIO_TAG_CHARS] = {}, artist[AUDIO_TAG_CHARS] = {}, album[AUDIO_TAG_CHARS] = {};
};

// The status a pass ends with when the source has no more bytes.
constexpr int32_t kAudioEndOfInput = -3;

// False when the stream ended before its header was understood.
bool RunAudioDecodingPass(const AudioDecoderCalls& decoder, const AudioByteSource& source,
                          const AudioPassOptions& options, AudioPassResult* result);
