// PcmPassThrough: the audio decoder of PCM items (wave format tag 0 or 1). It hands each input
// buffer on unchanged as one wave buffer and reports the format in currentDescriptor; 8-bit
// samples are widened to the 16 bits the device is opened with.
#pragma once

#include "morvelant/audio_decoder.h"

// The item's bits per sample, set by codec loading: 8 widens, any other width passes unchanged.
void PcmPassThroughSetSampleBits(int32_t bits);
int32_t PcmPassThroughInit(int32_t equalizerOn, const int8_t* bands);
int32_t PcmPassThroughExit();
int32_t PcmPassThroughHeader(uint8_t* input, int32_t length, int32_t* rate, int32_t* channels,
                             int32_t* bitrate, char16_t* title, char16_t* artist, char16_t* album);
int32_t PcmPassThroughDecompress(const uint8_t* input, int32_t length, uint8_t* output,
                                 int32_t capacity, int32_t* outLength, int32_t* position);
int32_t PcmPassThroughSeekStart();
int32_t PcmPassThroughSeekEnd();
