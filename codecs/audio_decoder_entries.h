// The player's side of the audio decoder contract: the six entry points of the current audio
// decoder, looked up in the codec library (or the PCM pass-through), and the tag texts the
// decoder fills.
#pragma once

#include <atomic>

#include "morvelant/audio_decoder.h"
#include "platform/library.h"

// Set by the audio thread when it starts, read by it and by the main window's thread
// (equalizer changes, seek brackets, fast forward). A null DecoderInit means that no decoder is
// active, so the user interface makes no equalizer call.
struct AudioDecoderEntries {
  std::atomic<DecoderInitFunction> DecoderInit{nullptr};
  std::atomic<DecoderExitFunction> DecoderExit{nullptr};
  std::atomic<GetHeaderInfoFunction> GetHeaderInfo{nullptr};
  std::atomic<DecompressAudioFunction> DecompressAudio{nullptr};
  std::atomic<SeekBracketFunction> SeekStart{nullptr};
  std::atomic<SeekBracketFunction> SeekEnd{nullptr};
};
extern AudioDecoderEntries audioDecoder;

// Title, artist and album: W the decoder (audio thread), emptied by the opening of an item;
// R the info view on the main window's thread.
extern char16_t audioTitle[AUDIO_TAG_CHARS];
extern char16_t audioArtist[AUDIO_TAG_CHARS];
extern char16_t audioAlbum[AUDIO_TAG_CHARS];
void ClearAudioTags();

// The name of the first of the six entry points that `library` exports under neither of its
// names, or null when it has them all. Codec loading refuses such a library.
const char* MissingAudioExport(LibraryHandle library);
// Audio thread start: installs the loaded codec library's entry points, or the PCM
// pass-through when the item's audio is PCM.
void InstallAudioDecoder();
// Audio thread end: no decoder is active any more.
void ClearAudioDecoder();
// The codec library is about to be unloaded: no entry may point into it any more.
void ForgetAudioDecoder();
