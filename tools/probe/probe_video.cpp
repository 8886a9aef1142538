// morvelant-probe video FILE OUT.y4m: every video packet decoded with the DecodeFrame the codec
// loading chose (render 2, as the video thread draws), each picture written as a YUV4MPEG2
// 4:2:0 frame (Y, then Cb, then Cr) so that it compares with ffmpeg's yuv4mpegpipe output.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "codecs/codec_loading.h"
#include "media/reader_state.h"
#include "tools/probe/probe.h"

namespace {

constexpr int32_t kRenderDraw = 2;
constexpr int kFrameRateScale = 1000;  // frames per second as a fraction over 1000

struct Y4mOutput {
  std::FILE* file = nullptr;
  int32_t width = 0, height = 0;
};

bool WritePlane(std::FILE* file, const uint8_t* plane, int32_t stride, int32_t width,
                int32_t height) {
  for (int32_t row = 0; row < height; ++row)
    if (std::fwrite(plane + row * stride, 1, size_t(width), file) != size_t(width)) return false;
  return true;
}

bool WritePicture(const Y4mOutput& out, const DecodedPicture& picture) {
  const int32_t chromaWidth = (out.width + 1) / 2, chromaHeight = (out.height + 1) / 2;
  return std::fputs("FRAME\n", out.file) >= 0 &&
         WritePlane(out.file, picture.Luma, picture.LumaStride, out.width, out.height) &&
         WritePlane(out.file, picture.Cb, picture.ChromaStride, chromaWidth, chromaHeight) &&
         WritePlane(out.file, picture.Cr, picture.ChromaStride, chromaWidth, chromaHeight);
}

// Reads packets as the video thread does until the frames run out. -1 on a write failure.
int64_t DecodeAll(const Y4mOutput& out) {
  std::vector<uint8_t> packet(kPacketBufferBytes);
  int64_t pictures = 0;
  while (currentDescriptor->CurrentFrame < currentDescriptor->FrameCount) {
    const int32_t size = readerOps.ReadVideoFrame(packet.data(), 0);
    if (size < 0) break;
    DecodedPicture picture{};
    if (!decodeFrame(packet.data(), size, &picture, kRenderDraw)) continue;
    if (!WritePicture(out, picture)) return -1;
    ++pictures;
  }
  return pictures;
}

int64_t DecodeToFile(const std::string& partial) {
  const MediaDescriptor& d = *currentDescriptor;
  Y4mOutput out{.file = std::fopen(partial.c_str(), "wb"), .width = d.Width, .height = d.Height};
  if (!out.file) return -1;
  const long rate = std::lround(d.FramesPerSecond * kFrameRateScale);
  std::fprintf(out.file, "YUV4MPEG2 W%d H%d F%ld:%d Ip A1:1 C420jpeg\n", d.Width, d.Height, rate,
               kFrameRateScale);
  VideoDecoderParams params{
      .PictureWidth = d.Width, .PictureHeight = d.Height, .OutputKind = OUTPUT_UPRIGHT};
  decodeInit(0, DECODE_INIT_NEW_ITEM, &params, 0);
  int64_t pictures = DecodeAll(out);
  decodeInit(0, DECODE_INIT_END_ITEM, nullptr, 0);
  if (std::fflush(out.file) != 0) pictures = -1;
  std::fclose(out.file);
  return pictures;
}

int Decode(const std::string& output) {
  if (currentDescriptor->FrameCount == 0) {
    PrintProbeError("Video", "the item has no video");
    return 1;
  }
  if (LoadCodecs() != 0 || currentDescriptor->FrameCount == 0) return 1;
  // Written beside the output and renamed at the end: a failure never leaves a torn file.
  const std::string partial = output + ".partial";
  const int64_t pictures = DecodeToFile(partial);
  if (pictures < 0 || std::rename(partial.c_str(), output.c_str()) != 0) {
    std::remove(partial.c_str());
    PrintProbeError("File Error", "cannot write " + output);
    return 1;
  }
  std::printf("pictures=%lld\nwidth=%d\nheight=%d\nexternal_codec=%d\n",
              static_cast<long long>(pictures), currentDescriptor->Width, currentDescriptor->Height,
              int(externalCodec));
  return 0;
}

}  // namespace

int ProbeVideo(const std::string& path, const std::string& output) {
  if (!ProbeOpen(path)) return 1;
  const int status = Decode(output);
  ProbeClose();
  return status;
}
