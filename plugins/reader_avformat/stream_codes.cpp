#include "plugins/reader_avformat/stream_codes.h"

namespace {

// H.264 and HEVC leave the container as Annex B with their parameter sets in front of each key
// frame; MPEG-4 Part 2 and MPEG-1/2 get their sequence headers (which MP4 keeps out of the
// packets) in front of each key frame. Theora gets its three set-up packets, each after its
// 16-bit big-endian length, in front of each key frame; the video plug-in splits them off.
constexpr VideoCode kVideoCodes[] = {
    {.codec = AV_CODEC_ID_H264, .fourCC = "H264", .bitstreamFilter = "h264_mp4toannexb"},
    {.codec = AV_CODEC_ID_HEVC, .fourCC = "HEVC", .bitstreamFilter = "hevc_mp4toannexb"},
    {.codec = AV_CODEC_ID_MPEG4, .fourCC = "FMP4", .bitstreamFilter = "dump_extra"},
    {.codec = AV_CODEC_ID_MPEG1VIDEO, .fourCC = "MPG1", .bitstreamFilter = "dump_extra"},
    {.codec = AV_CODEC_ID_MPEG2VIDEO, .fourCC = "MPG2", .bitstreamFilter = "dump_extra"},
    {.codec = AV_CODEC_ID_MSMPEG4V3, .fourCC = "DIV3", .bitstreamFilter = nullptr},
    {.codec = AV_CODEC_ID_MJPEG, .fourCC = "MJPG", .bitstreamFilter = nullptr},
    {.codec = AV_CODEC_ID_VP8, .fourCC = "VP80", .bitstreamFilter = nullptr},
    {.codec = AV_CODEC_ID_VP9, .fourCC = "VP90", .bitstreamFilter = nullptr},
    {.codec = AV_CODEC_ID_AV1, .fourCC = "AV01", .bitstreamFilter = nullptr},
    {.codec = AV_CODEC_ID_THEORA, .fourCC = "THEO", .bitstreamFilter = "dump_extra"},
};

// Codecs whose plug-in reads the bare stream. Vorbis, Opus, FLAC, ALAC, WMA and the rest need
// set-up data outside the packets and are decoded here.
constexpr AudioCode kAudioCodes[] = {
    {.codec = AV_CODEC_ID_MP3, .tag = 85, .framing = AudioFraming::Packets},
    {.codec = AV_CODEC_ID_MP2, .tag = 80, .framing = AudioFraming::Packets},
    {.codec = AV_CODEC_ID_MP1, .tag = 80, .framing = AudioFraming::Packets},
    {.codec = AV_CODEC_ID_AAC, .tag = 0x1600, .framing = AudioFraming::Adts},
    {.codec = AV_CODEC_ID_AC3, .tag = 0x2000, .framing = AudioFraming::Packets},
    {.codec = AV_CODEC_ID_DTS, .tag = 0x2001, .framing = AudioFraming::Packets},
};
constexpr int32_t kPcmTag = 1;

}  // namespace

const VideoCode* VideoCodeFor(AVCodecID codec) {
  for (const VideoCode& code : kVideoCodes)
    if (code.codec == codec) return &code;
  return nullptr;
}

AudioCode AudioCodeFor(AVCodecID codec) {
  for (const AudioCode& code : kAudioCodes)
    if (code.codec == codec) return code;
  return {.codec = codec, .tag = kPcmTag, .framing = AudioFraming::Decoded};
}
