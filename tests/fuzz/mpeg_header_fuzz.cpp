// The MPEG audio frame header, Xing/Info and ID3v2 code of the MP3 plug-in, over every offset of
// the input. Properties: an accepted header describes a frame longer than itself, with one or
// two channels and a rate MPEG audio has; an ID3v2 tag is never shorter than its own header.
#include <algorithm>

#include "plugins/audio_mpg123/mpeg_audio_header.h"
#include "plugins/audio_mpg123/tag_text.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool KnownRate(int32_t rate) {
  for (const int32_t known : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000})
    if (rate == known) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (size_t at = 0; at + kMpegHeaderBytes <= size && at < 4096; ++at) {
    MpegFrameHeader header;
    if (!ParseMpegFrameHeader(data + at, &header)) continue;
    FUZZ_CHECK(header.frameBytes > int32_t(kMpegHeaderBytes));
    FUZZ_CHECK(header.channels == 1 || header.channels == 2);
    FUZZ_CHECK(KnownRate(header.sampleRate));
    FUZZ_CHECK(AverageBitrate(data + at, size - at, header) >= 0);
  }
  if (size >= kId3HeaderBytes) {
    const size_t tag = Id3v2TagBytes(data);
    FUZZ_CHECK(tag == 0 || tag >= kId3HeaderBytes);
  }
  static const char* encodings[] = {"ISO-8859-1", "UTF-16", "UTF-16BE", "UTF-8"};
  char16_t text[200];
  WriteTagText(reinterpret_cast<const char*>(data), size, encodings[size % 4], text, 200);
  return 0;
}
