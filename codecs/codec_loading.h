// Finding an opened item's codecs through the registry tables "software\Morvelant\plugins\audio"
// (by wave format tag) and "...\video" (by four-character code), and fixing the two video
// decoder entry points for the rest of the item.
#pragma once

#include <atomic>
#include <cstdint>

#include "morvelant/decoded_picture.h"
#include "platform/library.h"

// Written by LoadCodecs on the main window's thread before the item's threads start; the
// threads read them afterwards.
extern LibraryHandle audioCodecLibrary;  // R audio thread start
extern LibraryHandle keptAudioLibrary;   // a "Sulvane" library, never unloaded once loaded
extern bool pcmAudio;                    // the PCM pass-through decodes the audio; R audio
extern LibraryHandle videoCodecLibrary;
extern std::atomic<uint8_t> externalCodec;  // 0 when the registry names an empty video codec;
                                            // R video thread (frame dropping)
extern DecodeInitFunction decodeInit;       // always set after a successful load; R main, video
extern DecodeFrameFunction decodeFrame;     // R video, main (stills), under the frame lock

// Loads the codecs of the item the reader has just opened (currentDescriptor; main window's
// thread). Reports what it cannot find in message boxes owned by the main window and switches
// that stream off (AudioLength or FrameCount 0). Returns 0 when ready, -1 when a named library
// cannot be loaded or nothing playable is left.
// Beyond the registry's word: an audio tag whose value is empty has no decoder, so its audio is
// switched off (an empty video value means the pass-through). A library that lacks an entry
// point the player calls is refused with a message naming it and its stream switched off, so
// nothing is ever called through a null address. A named library the system cannot load is
// reported with the loader's reason: for audio the audio is switched off and the video plays;
// for video the load fails (-1). An item of the built-in AVI reader never gets the video
// pass-through (its packets are file bytes, not picture records): without a codec library its
// video is switched off with the missing-codec message. A library's optional DecodeSetFourCC or
// DecoderSetFormat export is told the item's format right after loading, and an audio codec's
// DecoderSetWaveFormat the built-in reader's format record; a codec that refuses the record is
// reported and unloaded, and the audio switched off.
int32_t LoadCodecs();
