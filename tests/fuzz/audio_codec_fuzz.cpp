// The audio codec plug-ins fed by the reader: the input is an AVI file, opened by the built-in
// reader; codec loading picks the plug-in by the file's format tag through the shipped registry
// tables (MorvelantMpegAudio.so, MorvelantAudio.so, or the PCM pass-through), and one decoding
// pass runs as the audio thread's does. Properties: a pass that understood the header reports a
// rate and a channel count, and its output is whole 16-bit samples of every channel.
#include <cstdlib>
#include <string>

#include "codecs/audio_decode_harness.h"
#include "codecs/audio_decoder_entries.h"
#include "codecs/codec_loading.h"
#include "media/avi_reader.h"
#include "media/reader_state.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

int32_t Quiet(WindowHandle, std::u16string_view, std::u16string_view, uint32_t) {
  return IDOK;
}

void DecodeOnce() {
  InstallAudioDecoder();
  const AudioDecoderCalls calls{.DecoderInit = audioDecoder.DecoderInit,
                                .DecoderExit = audioDecoder.DecoderExit,
                                .GetHeaderInfo = audioDecoder.GetHeaderInfo,
                                .DecompressAudio = audioDecoder.DecompressAudio};
  AudioPassResult result;
  // The PCM pass-through takes its format from the descriptor's Channels and SampleRate, which
  // the reader may leave 0: only a codec's own header is held to the property.
  if (RunAudioDecodingPass(calls, readerOps.ReadAudio, {}, &result) && !pcmAudio) {
    FUZZ_CHECK(result.rate > 0 && result.channels > 0);
    FUZZ_CHECK(result.pcm.size() % (2 * size_t(result.channels)) == 0);
  }
  ClearAudioDecoder();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetExecutableFolder(MORVELANT_DIST_DIR);
  KeepPluginsLoaded({"Tarnic.so", "TarnicCache.so", "MorvelantMpegAudio.so", "MorvelantAudio.so"});
  SetMessageBoxPresenter(Quiet);
  char home[] = "/tmp/morvelant-fuzz-XXXXXX";
  if (!mkdtemp(home)) std::abort();
  RegistryLoad(home, std::string(MORVELANT_DIST_DIR) + "/registry.default.reg");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string path = Utf8ToWide(MemoryFileWith(data, size));
  InstallAviReader(&readerOps);
  if (readerOps.Open(path.c_str(), READER_MODE_LOCAL, 0, &currentDescriptor) == 1 &&
      currentDescriptor->AudioLength > 0) {
    currentDescriptor->FrameCount = 0;  // the video is not this target's
    if (LoadCodecs() == 0 && currentDescriptor->AudioLength > 0) DecodeOnce();
  }
  readerOps.Close();
  currentDescriptor = nullptr;
  return 0;
}
