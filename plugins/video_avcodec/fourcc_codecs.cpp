#include "plugins/video_avcodec/fourcc_codecs.h"

#include <cctype>
#include <string>

namespace {

struct FourCCCodec {
  const char* fourCC;  // lower case, as the registry names it
  AVCodecID codec;
};

constexpr FourCCCodec kFourCCCodecs[] = {
    {.fourCC = "xvid", .codec = AV_CODEC_ID_MPEG4},
    {.fourCC = "divx", .codec = AV_CODEC_ID_MPEG4},
    {.fourCC = "dx50", .codec = AV_CODEC_ID_MPEG4},
    {.fourCC = "fmp4", .codec = AV_CODEC_ID_MPEG4},
    {.fourCC = "mp4v", .codec = AV_CODEC_ID_MPEG4},
    {.fourCC = "div3", .codec = AV_CODEC_ID_MSMPEG4V3},
    {.fourCC = "div4", .codec = AV_CODEC_ID_MSMPEG4V3},
    {.fourCC = "mp43", .codec = AV_CODEC_ID_MSMPEG4V3},
    {.fourCC = "mpeg", .codec = AV_CODEC_ID_MPEG1VIDEO},
    {.fourCC = "mpg1", .codec = AV_CODEC_ID_MPEG1VIDEO},
    {.fourCC = "mjpg", .codec = AV_CODEC_ID_MJPEG},
    {.fourCC = "h264", .codec = AV_CODEC_ID_H264},
    {.fourCC = "x264", .codec = AV_CODEC_ID_H264},
    {.fourCC = "avc1", .codec = AV_CODEC_ID_H264},
    {.fourCC = "hevc", .codec = AV_CODEC_ID_HEVC},
    {.fourCC = "hvc1", .codec = AV_CODEC_ID_HEVC},
    {.fourCC = "mpg2", .codec = AV_CODEC_ID_MPEG2VIDEO},
    {.fourCC = "vp80", .codec = AV_CODEC_ID_VP8},
    {.fourCC = "vp90", .codec = AV_CODEC_ID_VP9},
    {.fourCC = "av01", .codec = AV_CODEC_ID_AV1},
    {.fourCC = "theo", .codec = AV_CODEC_ID_THEORA},
};
constexpr size_t kFourCCChars = 4;

}  // namespace

AVCodecID CodecForFourCC(const char* fourCC) {
  std::string lower;
  for (size_t i = 0; i < kFourCCChars && fourCC[i]; ++i)
    lower += char(std::tolower(static_cast<unsigned char>(fourCC[i])));
  for (const FourCCCodec& entry : kFourCCCodecs)
    if (lower == entry.fourCC) return entry.codec;
  return AV_CODEC_ID_NONE;
}
