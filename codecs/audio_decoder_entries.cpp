#include "codecs/audio_decoder_entries.h"

#include "codecs/codec_loading.h"
#include "codecs/pcm_pass_through.h"

AudioDecoderEntries audioDecoder;
char16_t audioTitle[AUDIO_TAG_CHARS];
char16_t audioArtist[AUDIO_TAG_CHARS];
char16_t audioAlbum[AUDIO_TAG_CHARS];

namespace {

struct ExportName {
  const char* name;
  const char* alternative;  // tried when `name` is not exported; may be null
};

enum ExportRole { kInit, kExit, kHeader, kDecompress, kSeekStart, kSeekEnd, kRoleCount };

// In ExportRole order.
constexpr ExportName kExportNames[kRoleCount] = {
    {.name = AUDIO_EXPORT_INIT, .alternative = AUDIO_EXPORT_INIT_ALT},
    {.name = AUDIO_EXPORT_EXIT, .alternative = AUDIO_EXPORT_EXIT_ALT},
    {.name = AUDIO_EXPORT_HEADER, .alternative = nullptr},
    {.name = AUDIO_EXPORT_DECOMPRESS, .alternative = nullptr},
    {.name = AUDIO_EXPORT_SEEK_START, .alternative = nullptr},
    {.name = AUDIO_EXPORT_SEEK_END, .alternative = nullptr},
};

void* FindExport(LibraryHandle library, ExportRole role) {
  const ExportName& names = kExportNames[role];
  void* entry = GetProcAddress(library, names.name);
  if (!entry && names.alternative) entry = GetProcAddress(library, names.alternative);
  return entry;
}

template <typename Function>
Function As(void* entry) {
  return reinterpret_cast<Function>(entry);
}

}  // namespace

void ClearAudioTags() {
  audioTitle[0] = audioArtist[0] = audioAlbum[0] = 0;
}

const char* MissingAudioExport(LibraryHandle library) {
  for (int role = 0; role < kRoleCount; ++role)
    if (!FindExport(library, static_cast<ExportRole>(role))) return kExportNames[role].name;
  return nullptr;
}

void InstallAudioDecoder() {
  if (pcmAudio) {
    audioDecoder.DecoderExit = PcmPassThroughExit;
    audioDecoder.GetHeaderInfo = PcmPassThroughHeader;
    audioDecoder.DecompressAudio = PcmPassThroughDecompress;
    audioDecoder.SeekStart = PcmPassThroughSeekStart;
    audioDecoder.SeekEnd = PcmPassThroughSeekEnd;
    audioDecoder.DecoderInit = PcmPassThroughInit;
    return;
  }
  // Codec loading refused libraries that lack an entry, so none of these is null.
  LibraryHandle library = audioCodecLibrary;
  audioDecoder.DecoderExit = As<DecoderExitFunction>(FindExport(library, kExit));
  audioDecoder.GetHeaderInfo = As<GetHeaderInfoFunction>(FindExport(library, kHeader));
  audioDecoder.DecompressAudio = As<DecompressAudioFunction>(FindExport(library, kDecompress));
  audioDecoder.SeekStart = As<SeekBracketFunction>(FindExport(library, kSeekStart));
  audioDecoder.SeekEnd = As<SeekBracketFunction>(FindExport(library, kSeekEnd));
  audioDecoder.DecoderInit = As<DecoderInitFunction>(FindExport(library, kInit));
}

void ClearAudioDecoder() {
  audioDecoder.DecoderInit = nullptr;
}

void ForgetAudioDecoder() {
  audioDecoder.DecoderExit = nullptr;
  audioDecoder.GetHeaderInfo = nullptr;
  audioDecoder.DecompressAudio = nullptr;
  audioDecoder.SeekStart = nullptr;
  audioDecoder.SeekEnd = nullptr;
  audioDecoder.DecoderInit = nullptr;
}
