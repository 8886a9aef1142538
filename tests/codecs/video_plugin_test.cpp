// MorvelantVideo.so driven through DecodeSetFourCC / DecodeInit / DecodeFrame, compared plane by
// plane with what libavcodec itself decodes from the same packets.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include "morvelant/decoded_picture.h"
#include "morvelant/video_codec.h"
#include "platform/library.h"
#include "platform/text.h"
#include "tests/codecs/test_media.h"

namespace {

// One 4:2:0 picture, planes packed: Y, then Cr, then Cb.
struct Planes {
  std::vector<uint8_t> luma, cr, cb;
  bool operator==(const Planes&) const = default;
};

void CopyPlane(const uint8_t* from, int stride, int width, int height, std::vector<uint8_t>* to) {
  for (int row = 0; row < height; ++row)
    to->insert(to->end(), from + row * stride, from + row * stride + width);
}

Planes Capture(const uint8_t* luma, const uint8_t* cr, const uint8_t* cb, int lumaStride,
               int chromaStride, int width, int height) {
  Planes planes;
  CopyPlane(luma, lumaStride, width, height, &planes.luma);
  CopyPlane(cr, chromaStride, (width + 1) / 2, (height + 1) / 2, &planes.cr);
  CopyPlane(cb, chromaStride, (width + 1) / 2, (height + 1) / 2, &planes.cb);
  return planes;
}

// libavcodec on its own: every picture the packets give, brought to yuv420p where needed.
std::vector<Planes> ReferencePictures(const DemuxedStream& stream) {
  av_log_set_level(AV_LOG_ERROR);  // the reference converter names JPEG layouts as they come
  const AVCodec* codec = avcodec_find_decoder(stream.parameters->codec_id);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(context, stream.parameters);
  EXPECT_EQ(avcodec_open2(context, codec, nullptr), 0);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVFrame* converted = av_frame_alloc();
  SwsContext* scaler = nullptr;
  std::vector<Planes> pictures;
  for (const auto& bytes : stream.packets) {
    av_new_packet(packet, int(bytes.size()));
    std::memcpy(packet->data, bytes.data(), bytes.size());
    avcodec_send_packet(context, packet);
    av_packet_unref(packet);
    while (avcodec_receive_frame(context, frame) == 0) {
      const AVFrame* shown = frame;
      if (frame->format != AV_PIX_FMT_YUV420P) {
        scaler = sws_getCachedContext(scaler, frame->width, frame->height,
                                      AVPixelFormat(frame->format), frame->width, frame->height,
                                      AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
        av_frame_unref(converted);
        converted->format = AV_PIX_FMT_YUV420P;
        converted->width = frame->width;
        converted->height = frame->height;
        av_frame_get_buffer(converted, 32);
        sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, converted->data,
                  converted->linesize);
        shown = converted;
      }
      pictures.push_back(Capture(shown->data[0], shown->data[2], shown->data[1], shown->linesize[0],
                                 shown->linesize[1], shown->width, shown->height));
    }
  }
  sws_freeContext(scaler);
  av_frame_free(&converted);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return pictures;
}

struct VideoCase {
  const char* fileName;
  const char* ffmpegArgs;
  const char* fourCC;
};

constexpr char kSource[] = "-f lavfi -i testsrc=size=176x144:rate=25 -frames:v 40 ";

class VideoPlugin : public ::testing::TestWithParam<VideoCase> {
 protected:
  void SetUp() override {
    library = LoadLibrary(Utf8ToWide(MORVELANT_DIST_DIR "/MorvelantVideo.so"));
    ASSERT_NE(library, nullptr) << LibraryLoadError();
    setFourCC =
        reinterpret_cast<DecodeSetFourCCFunction>(GetProcAddress(library, "DecodeSetFourCC"));
    decodeInit = reinterpret_cast<DecodeInitFunction>(GetProcAddress(library, "DecodeInit"));
    decodeFrame = reinterpret_cast<DecodeFrameFunction>(GetProcAddress(library, "DecodeFrame"));
    ASSERT_TRUE(setFourCC && decodeInit && decodeFrame);
  }
  void TearDown() override { FreeLibrary(library); }

  LibraryHandle library = nullptr;
  DecodeSetFourCCFunction setFourCC = nullptr;
  DecodeInitFunction decodeInit = nullptr;
  DecodeFrameFunction decodeFrame = nullptr;
};

TEST_P(VideoPlugin, PicturesEqualLibavcodecsAndKeepThePreviousOne) {
  const VideoCase& item = GetParam();
  const std::string path = MakeTestMedia(item.fileName, std::string(kSource) + item.ffmpegArgs);
  ASSERT_FALSE(path.empty()) << "ffmpeg could not make " << item.fileName;
  DemuxedStream stream;
  ASSERT_TRUE(DemuxStream(path, AVMEDIA_TYPE_VIDEO, &stream));
  const std::vector<Planes> reference = ReferencePictures(stream);
  ASSERT_GE(reference.size(), 30u);

  const int width = stream.parameters->width, height = stream.parameters->height;
  setFourCC(item.fourCC);
  VideoDecoderParams params{
      .PictureWidth = width, .PictureHeight = height, .OutputKind = OUTPUT_UPRIGHT};
  ASSERT_EQ(decodeInit(0, DECODE_INIT_NEW_ITEM, &params, 0), 0);
  size_t shown = 0;
  for (const auto& packet : stream.packets) {
    DecodedPicture picture{};
    if (!decodeFrame(packet.data(), int32_t(packet.size()), &picture, 2)) continue;
    ASSERT_LT(shown, reference.size());
    EXPECT_EQ(Capture(picture.Luma, picture.Cr, picture.Cb, picture.LumaStride,
                      picture.ChromaStride, width, height),
              reference[shown])
        << "picture " << shown;
    const Planes before = Capture(picture.PreviousLuma, picture.PreviousCr, picture.PreviousCb,
                                  picture.LumaStride, picture.ChromaStride, width, height);
    EXPECT_EQ(before, reference[shown ? shown - 1 : 0]) << "previous of picture " << shown;
    ++shown;
  }
  // Pictures a decoder still holds at the end are not asked for.
  EXPECT_GE(shown + 3, reference.size());
  EXPECT_EQ(decodeInit(0, DECODE_INIT_END_ITEM, nullptr, 0), 0);
  DecodedPicture picture{};
  EXPECT_EQ(decodeFrame(stream.packets[0].data(), int32_t(stream.packets[0].size()), &picture, 2),
            0);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, VideoPlugin,
    ::testing::Values(VideoCase{"xvid.avi", "-c:v libxvid -vtag XVID", "XVID"},
                      VideoCase{"div3.avi", "-c:v msmpeg4 -vtag DIV3", "DIV3"},
                      VideoCase{"mpg1.avi", "-c:v mpeg1video -vtag mpg1", "mpg1"},
                      VideoCase{"mjpg422.avi", "-c:v mjpeg -pix_fmt yuvj422p -vtag MJPG", "MJPG"},
                      VideoCase{"h264.avi", "-c:v libx264 -bf 2 -vtag H264", "H264"}),
    [](const auto& info) { return std::string(info.param.fourCC); });

TEST_F(VideoPlugin, PacketsWithoutPictureGiveZero) {
  setFourCC("xvid");
  VideoDecoderParams params{.PictureWidth = 176, .PictureHeight = 144};
  ASSERT_EQ(decodeInit(0, DECODE_INIT_NEW_ITEM, &params, 0), 0);
  const std::vector<uint8_t> junk(100, 0x5A);
  DecodedPicture picture{};
  EXPECT_EQ(decodeFrame(junk.data(), 0, &picture, 2), 0);
  EXPECT_EQ(decodeFrame(junk.data(), int32_t(junk.size()), &picture, 2), 0);
  EXPECT_EQ(picture.Luma, nullptr);
  decodeInit(0, DECODE_INIT_END_ITEM, nullptr, 0);
}

// A small stream announced at an absurd size was once scaled up to it, 774 MB a picture. Such
// sizes are refused at DecodeInit; the decoder then gives no picture.
TEST_F(VideoPlugin, AbsurdAnnouncedSizesAreRefused) {
  const std::string path =
      MakeTestMedia("xvid.avi", std::string(kSource) + "-c:v libxvid -vtag XVID");
  ASSERT_FALSE(path.empty());
  DemuxedStream stream;
  ASSERT_TRUE(DemuxStream(path, AVMEDIA_TYPE_VIDEO, &stream));
  const struct {
    int32_t width, height, init;
  } cases[] = {{16000, 16000, -1}, {4097, 64, -1},  {4096, 2305, -1},
               {-176, 144, -1},    {4096, 2304, 0}, {176, 144, 0}};
  for (const auto& c : cases) {
    setFourCC("XVID");
    VideoDecoderParams params{.PictureWidth = c.width, .PictureHeight = c.height};
    EXPECT_EQ(decodeInit(0, DECODE_INIT_NEW_ITEM, &params, 0), c.init)
        << c.width << "x" << c.height;
    if (c.init == 0) continue;
    DecodedPicture picture{};
    for (const auto& packet : stream.packets)
      EXPECT_EQ(decodeFrame(packet.data(), int32_t(packet.size()), &picture, 2), 0);
    decodeInit(0, DECODE_INIT_END_ITEM, nullptr, 0);
  }
}

}  // namespace
