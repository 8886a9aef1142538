// morvelant-probe audio FILE OUT.wav: the item's audio decoded through the codec the registry
// chooses, with the calls the audio thread makes, written as a 16-bit PCM WAV at the format
// the decoder reported. For a network item whose reader offers ReaderStreamTitle, each stream
// title the decoded audio passed is listed after the tags.
#include <cstdio>
#include <string>
#include <vector>

#include "codecs/audio_decode_harness.h"
#include "codecs/audio_decoder_entries.h"
#include "codecs/codec_loading.h"
#include "core/player_state.h"
#include "media/reader_state.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tools/probe/probe.h"

namespace {

constexpr int32_t kWaveHeaderBytes = 44;
constexpr int32_t kWaveFormatChunkBytes = 16;
constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kBitsPerSample = 16;

void PutLittleEndian(std::string* bytes, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes->push_back(char((value >> (8 * i)) & 0xFF));
}

std::string WaveFile(const AudioPassResult& result) {
  const uint32_t dataBytes = uint32_t(result.pcm.size());
  const uint16_t blockAlign = uint16_t(result.channels * kBitsPerSample / 8);
  std::string bytes = "RIFF";
  PutLittleEndian(&bytes, kWaveHeaderBytes - 8 + dataBytes, 4);
  bytes += "WAVEfmt ";
  PutLittleEndian(&bytes, kWaveFormatChunkBytes, 4);
  PutLittleEndian(&bytes, kWaveFormatPcm, 2);
  PutLittleEndian(&bytes, uint32_t(result.channels), 2);
  PutLittleEndian(&bytes, uint32_t(result.rate), 4);
  PutLittleEndian(&bytes, uint32_t(result.rate) * blockAlign, 4);
  PutLittleEndian(&bytes, blockAlign, 2);
  PutLittleEndian(&bytes, kBitsPerSample, 2);
  bytes += "data";
  PutLittleEndian(&bytes, dataBytes, 4);
  bytes.append(result.pcm.begin(), result.pcm.end());
  return bytes;
}

// The audio thread's decoding pass, fed by the reader's ReadAudio; `streamTitles` gets each
// new stream title the reader reports between reads.
bool DecodeAudio(AudioPassResult* result, std::vector<std::string>* streamTitles) {
  InstallAudioDecoder();
  const AudioDecoderCalls calls{
      .DecoderInit = audioDecoder.DecoderInit,
      .DecoderExit = audioDecoder.DecoderExit,
      .GetHeaderInfo = audioDecoder.GetHeaderInfo,
      .DecompressAudio = audioDecoder.DecompressAudio,
  };
  const AudioPassOptions options{.equalizerOn = playerSettings.equalizerOn,
                                 .bands = playerSettings.equalizerBands};
  int32_t changes = 0;
  const auto read = [&](uint8_t* destination, int32_t length) {
    const int32_t got = readerOps.ReadAudio(destination, length);
    std::u16string title;
    const int32_t now = isUrl ? ReadStreamTitle(&title) : 0;
    if (now != changes) {
      changes = now;
      streamTitles->push_back(WideToUtf8(title));
    }
    return got;
  };
  const bool decoded = RunAudioDecodingPass(calls, read, options, result);
  ClearAudioDecoder();
  return decoded;
}

void PrintResult(const AudioPassResult& result, const std::vector<std::string>& streamTitles) {
  std::printf("rate=%d\nchannels=%d\nbitrate=%d\n", result.rate, result.channels, result.bitrate);
  std::printf("pcm_bytes=%zu\nposition=%d\nend_status=%d\n", result.pcm.size(), result.lastPosition,
              result.endStatus);
  std::printf("title=%s\nartist=%s\nalbum=%s\n", WideToUtf8(WideView(result.title)).c_str(),
              WideToUtf8(WideView(result.artist)).c_str(),
              WideToUtf8(WideView(result.album)).c_str());
  for (const std::string& title : streamTitles) std::printf("stream_title=%s\n", title.c_str());
}

int Decode(const std::string& output) {
  if (currentDescriptor->AudioLength == 0) {
    PrintProbeError("Audio", "the item has no audio");
    return 1;
  }
  if (LoadCodecs() != 0 || currentDescriptor->AudioLength == 0) return 1;
  AudioPassResult result;
  std::vector<std::string> streamTitles;
  if (!DecodeAudio(&result, &streamTitles) || result.rate <= 0 || result.channels <= 0) {
    PrintProbeError("Audio", "the decoder reported no output format");
    return 1;
  }
  const std::string wave = WaveFile(result);
  if (!WriteFileAtomic(output, wave.data(), wave.size())) {
    PrintProbeError("File Error", "cannot write " + output);
    return 1;
  }
  PrintResult(result, streamTitles);
  return 0;
}

}  // namespace

int ProbeAudio(const std::string& path, const std::string& output) {
  if (!ProbeOpen(path)) return 1;
  const int status = Decode(output);
  ProbeClose();
  return status;
}
