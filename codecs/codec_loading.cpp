#include "codecs/codec_loading.h"

#include <algorithm>
#include <span>
#include <string>

#include "codecs/audio_decoder_entries.h"
#include "codecs/codec_messages.h"
#include "codecs/pcm_pass_through.h"
#include "codecs/video_pass_through.h"
#include "core/player_state.h"
#include "media/avi_reader.h"
#include "media/little_endian.h"
#include "media/reader_state.h"
#include "morvelant/audio_decoder.h"
#include "morvelant/video_codec.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text.h"

LibraryHandle audioCodecLibrary = nullptr;
LibraryHandle keptAudioLibrary = nullptr;
bool pcmAudio = false;
LibraryHandle videoCodecLibrary = nullptr;
std::atomic<uint8_t> externalCodec{1};
DecodeInitFunction decodeInit = nullptr;
DecodeFrameFunction decodeFrame = nullptr;

namespace {

constexpr std::u16string_view kAudioKey = u"software\\Morvelant\\plugins\\audio";
constexpr std::u16string_view kVideoKey = u"software\\Morvelant\\plugins\\video";
constexpr char16_t kKeptLibraryMark[] = u"Sulvane";
// The library name is read into 400 bytes: 199 wide characters and the terminator.
constexpr size_t kLibraryNameBytes = 400;
constexpr size_t kLibraryNameChars = kLibraryNameBytes / sizeof(char16_t) - 1;
constexpr size_t kFourCCChars = 4;

// What the registry says of a stream's codec: a library name, an empty name, or nothing.
enum class Lookup { Named, Empty, StreamOff };

void Show(std::u16string_view text, std::u16string_view title) {
  MessageBox(mainWindow, text, title);
}

void ReleaseAudioLibrary(LibraryHandle library) {
  if (library && library != keptAudioLibrary) FreeLibrary(library);
}

void ReleasePreviousCodecs() {
  ForgetAudioDecoder();
  FreeLibrary(videoCodecLibrary);
  ReleaseAudioLibrary(audioCodecLibrary);
  videoCodecLibrary = audioCodecLibrary = nullptr;
  externalCodec = 1;
}

// Reads the library name registered under `valueName`, reporting a missing key or value.
Lookup ReadCodecName(std::u16string_view key, std::u16string_view keyMissingText,
                     std::u16string_view valueName, const std::u16string& missingText,
                     std::u16string_view missingTitle, std::u16string* file) {
  if (!RegistryKeyExists(RegistryRoot::LocalMachine, key)) {
    Show(keyMissingText, kRegistryErrorTitle);
    return Lookup::StreamOff;
  }
  if (!RegistryGetString(RegistryRoot::LocalMachine, key, valueName, file)) {
    Show(missingText, missingTitle);
    return Lookup::StreamOff;
  }
  if (file->size() > kLibraryNameChars) file->resize(kLibraryNameChars);
  return file->empty() ? Lookup::Empty : Lookup::Named;
}

void ShowMissingExport(const std::u16string& file, const char* exportName,
                       std::u16string_view title) {
  const std::u16string text = FormatMessageText(kMissingExportText, file);
  Show(FormatMessageText(text, Utf8ToWide(exportName)), title);
}

// Reports a named library that the system loader refused, with the loader's reason.
void ShowLoadFailure(const std::u16string& file, std::u16string_view title) {
  const std::u16string text = FormatMessageText(kLibraryLoadFailedText, file);
  Show(FormatMessageText(text, Utf8ToWide(LibraryLoadError())), title);
}

// The audio format record of the built-in reader's item; empty for reader plug-ins.
std::span<const uint8_t> BuiltInFormatRecord() {
  return IsAviReader(readerOps) ? AviAudioFormatRecord() : std::span<const uint8_t>();
}

// Bits per sample from the format record; reader plug-ins deliver 16-bit PCM.
int32_t PcmSampleBits() {
  constexpr size_t kBitsOffset = 14;
  const std::span<const uint8_t> record = BuiltInFormatRecord();
  if (record.size() < kBitsOffset + 2) return 16;
  return ReadLittle16(record.data() + kBitsOffset);
}

// Tells the codec the item's format through its optional exports: the tag, channels and rate,
// then the built-in reader's format record. False when the codec refuses the record.
bool TellAudioFormat(LibraryHandle library, const MediaDescriptor* descriptor) {
  if (auto setFormat = reinterpret_cast<DecoderSetFormatFunction>(
          GetProcAddress(library, AUDIO_EXPORT_SET_FORMAT)))
    setFormat(descriptor->AudioFormatTag, descriptor->Channels, descriptor->SampleRate);
  auto setWaveFormat = reinterpret_cast<DecoderSetWaveFormatFunction>(
      GetProcAddress(library, AUDIO_EXPORT_SET_WAVE_FORMAT));
  const std::span<const uint8_t> record = BuiltInFormatRecord();
  if (!setWaveFormat || record.empty()) return true;
  return setWaveFormat(record.data(), static_cast<int32_t>(record.size())) == 0;
}

// Tags 0 and 1 are PCM: 16-bit samples pass through and 8-bit ones are widened; wider samples
// would play as noise, so their audio is off. A tag whose registry value is empty has no
// decoder: its audio is off.
bool LoadAudioCodec(MediaDescriptor* descriptor) {
  const std::u16string tag = Utf8ToWide(std::to_string(descriptor->AudioFormatTag));
  pcmAudio = descriptor->AudioFormatTag <= 1;
  if (pcmAudio) {
    const int32_t bits = PcmSampleBits();
    if (bits > 16) {
      Show(AudioRecordRefusedMessage(descriptor->AudioFormatTag), kAudioErrorTitle);
      descriptor->AudioLength = 0;
    }
    PcmPassThroughSetSampleBits(bits);
    return true;
  }
  std::u16string file;
  const Lookup lookup =
      ReadCodecName(kAudioKey, kAudioKeyMissingText, tag, FormatMessageText(kAudioFormatText, tag),
                    kAudioErrorTitle, &file);
  if (lookup != Lookup::Named) {
    descriptor->AudioLength = 0;
    return true;
  }
  LibraryHandle library = LoadLibrary(file);
  if (!library) {  // a broken audio codec switches the audio off; the video still plays
    ShowLoadFailure(file, kAudioErrorTitle);
    descriptor->AudioLength = 0;
    return true;
  }
  if (file.find(kKeptLibraryMark) != std::u16string::npos) keptAudioLibrary = library;
  if (const char* missing = MissingAudioExport(library)) {
    ShowMissingExport(file, missing, kAudioErrorTitle);
    ReleaseAudioLibrary(library);
    descriptor->AudioLength = 0;
    return true;
  }
  if (!TellAudioFormat(library, descriptor)) {
    Show(AudioRecordRefusedMessage(descriptor->AudioFormatTag), kAudioErrorTitle);
    ReleaseAudioLibrary(library);
    descriptor->AudioLength = 0;
    return true;
  }
  audioCodecLibrary = library;
  return true;
}

std::u16string FourCCValueName(const MediaDescriptor* descriptor) {
  const char* code = descriptor->FourCC;
  const size_t length = std::find(code, code + kFourCCChars, '\0') - code;
  return WideLower(AnsiToWide(std::string_view(code, length)));
}

// Takes the library's two entry points, or refuses it when one is missing.
bool UseVideoLibrary(LibraryHandle library, const std::u16string& file,
                     const MediaDescriptor* descriptor) {
  auto init =
      reinterpret_cast<DecodeInitFunction>(GetProcAddress(library, VIDEO_EXPORT_DECODE_INIT));
  auto frame =
      reinterpret_cast<DecodeFrameFunction>(GetProcAddress(library, VIDEO_EXPORT_DECODE_FRAME));
  if (!init || !frame) {
    ShowMissingExport(file, init ? VIDEO_EXPORT_DECODE_FRAME : VIDEO_EXPORT_DECODE_INIT,
                      kVideoErrorTitle);
    return false;
  }
  videoCodecLibrary = library;
  decodeInit = init;
  decodeFrame = frame;
  if (auto setFourCC = reinterpret_cast<DecodeSetFourCCFunction>(
          GetProcAddress(library, VIDEO_EXPORT_SET_FOURCC)))
    setFourCC(descriptor->FourCC);
  return true;
}

// The pass-through takes a packet for a ready picture record. The built-in AVI reader's packets
// are the file's bytes, so an AVI without a usable codec has its video switched off instead:
// the record's plane addresses would come from the file.
bool PassThroughRefused(MediaDescriptor* descriptor, const std::u16string& name) {
  if (!IsAviReader(readerOps) || descriptor->FrameCount == 0) return false;
  Show(VideoFormatMessage(name.empty() ? u"(none)" : name), kVideoErrorTitle);
  descriptor->FrameCount = 0;
  return true;
}

bool LoadVideoCodec(MediaDescriptor* descriptor) {
  const std::u16string name = FourCCValueName(descriptor);
  if (descriptor->FourCC[0] == 0) {
    PassThroughRefused(descriptor, name);
    return true;
  }
  std::u16string file;
  const Lookup lookup = ReadCodecName(kVideoKey, kVideoKeyMissingText, name,
                                      VideoFormatMessage(name), kVideoErrorTitle, &file);
  if (lookup == Lookup::StreamOff) descriptor->FrameCount = 0;
  if (lookup == Lookup::Empty && !PassThroughRefused(descriptor, name)) externalCodec = 0;
  if (lookup != Lookup::Named) return true;
  LibraryHandle library = LoadLibrary(file);
  if (!library) {
    ShowLoadFailure(file, kVideoErrorTitle);
    return false;
  }
  if (!UseVideoLibrary(library, file, descriptor)) {
    FreeLibrary(library);
    descriptor->FrameCount = 0;
  }
  return true;
}

}  // namespace

int32_t LoadCodecs() {
  MediaDescriptor* descriptor = currentDescriptor;
  ReleasePreviousCodecs();
  if (!LoadAudioCodec(descriptor)) return -1;
  if (!LoadVideoCodec(descriptor)) return -1;
  if (descriptor->FrameCount == 0 && descriptor->AudioLength == 0) return -1;
  if (!videoCodecLibrary) {
    decodeInit = VideoPassThroughInit;
    decodeFrame = VideoPassThroughFrame;
  }
  return 0;
}
