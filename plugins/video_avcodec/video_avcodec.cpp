// MorvelantVideo: the video codec plug-in on libavcodec. The player tells it the item's
// four-character code (DecodeSetFourCC), opens it per item (DecodeInit 0x8000), hands it one
// packet at a time (DecodeFrame) and ends it (DecodeInit 0x10000). Each picture is handed out
// as 4:2:0 planes at the announced size, Cr first, and the previous picture stays alive so that
// the blitter can compare the two.
#include <algorithm>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "morvelant/decoded_picture.h"
#include "morvelant/video_codec.h"
#include "plugins/video_avcodec/fourcc_codecs.h"
#include "plugins/video_avcodec/theora_setup.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Codes the player may not have told us about are most likely MPEG-4 Part 2 in an AVI.
constexpr AVCodecID kDefaultCodec = AV_CODEC_ID_MPEG4;
constexpr int kPlaneAlignment = 32;

// The player serialises DecodeFrame, but DecodeInit comes from the main window's thread at
// opening and from the video thread at the end: one lock keeps the state whole.
std::mutex decoderLock;
AVCodecID codecId = kDefaultCodec;
AVCodecContext* context = nullptr;
AVPacket* packet = nullptr;
AVBufferPool* packetPool = nullptr;  // packet buffers, reused frame after frame
size_t packetPoolSize = 0;
AVFrame* decoded = nullptr;   // what libavcodec returned last
AVFrame* current = nullptr;   // the picture handed out last
AVFrame* previous = nullptr;  // the picture before it
SwsContext* scaler = nullptr;
int announcedWidth = 0, announcedHeight = 0;

void CloseDecoder() {
  avcodec_free_context(&context);
  av_packet_free(&packet);
  av_buffer_pool_uninit(&packetPool);
  packetPoolSize = 0;
  av_frame_free(&decoded);
  av_frame_free(&current);
  av_frame_free(&previous);
  sws_freeContext(scaler);
  scaler = nullptr;
}

// Pictures are converted to the announced size: an absurd one would cost gigabytes per frame.
bool AnnouncedSizeUsable(const VideoDecoderParams& params) {
  return params.PictureWidth >= 0 && params.PictureHeight >= 0 &&
         params.PictureWidth <= VIDEO_MAX_PICTURE_SIDE &&
         params.PictureHeight <= VIDEO_MAX_PICTURE_SIDE &&
         int64_t{params.PictureWidth} * params.PictureHeight <= VIDEO_MAX_PICTURE_PIXELS;
}

bool OpenDecoder(const VideoDecoderParams* params) {
  CloseDecoder();
  const AVCodec* codec = avcodec_find_decoder(codecId);
  if (!codec || !params || !AnnouncedSizeUsable(*params)) return false;
  context = avcodec_alloc_context3(codec);
  packet = av_packet_alloc();
  decoded = av_frame_alloc();
  current = av_frame_alloc();
  previous = av_frame_alloc();
  if (!context || !packet || !decoded || !current || !previous) return false;
  // MS-MPEG-4 streams do not carry their size; the others override it.
  // A bitstream that declares a larger picture than any item may have is refused by the decoder.
  context->max_pixels = VIDEO_MAX_PICTURE_PIXELS;
  context->width = announcedWidth = params->PictureWidth;
  context->height = announcedHeight = params->PictureHeight;
  // Theora opens once its set-up packets arrive in front of the first key frame.
  return codecId == AV_CODEC_ID_THEORA || avcodec_open2(context, codec, nullptr) == 0;
}

// Opens the Theora decoder on the set-up packets in front of a key frame.
bool OpenWithSetup(const uint8_t* setup, size_t size) {
  context->extradata = static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
  if (!context->extradata) return false;
  std::copy(setup, setup + size, context->extradata);
  context->extradata_size = int(size);
  return avcodec_open2(context, context->codec ? context->codec : avcodec_find_decoder(codecId),
                       nullptr) == 0;
}

// Takes the set-up packets off the front of a Theora packet, opening the decoder on the first
// ones; false while the decoder cannot be open or nothing but set-up came.
bool TakeTheoraSetup(const uint8_t** data, int32_t* size) {
  const size_t setup = TheoraSetupBytes(*data, size_t(*size));
  if (setup > 0 && !avcodec_is_open(context) && !OpenWithSetup(*data, setup)) return false;
  *data += setup;
  *size -= int32_t(setup);
  return avcodec_is_open(context) && *size > 0;
}

// Copies a packet into a buffer padded and zeroed as libavcodec needs. The buffers come from a
// pool sized for the largest packet so far, so decoding does not allocate for every frame.
bool FillPacket(const uint8_t* data, int32_t size) {
  const size_t needed = size_t(size) + AV_INPUT_BUFFER_PADDING_SIZE;
  if (needed > packetPoolSize) {
    av_buffer_pool_uninit(&packetPool);  // freed once the decoder lets go of its buffers
    packetPool = av_buffer_pool_init(needed, nullptr);
    packetPoolSize = packetPool ? needed : 0;
  }
  AVBufferRef* buffer = packetPool ? av_buffer_pool_get(packetPool) : nullptr;
  if (!buffer) return false;
  av_packet_unref(packet);
  packet->buf = buffer;
  packet->data = buffer->data;
  packet->size = size;
  std::copy(data, data + size, packet->data);
  std::fill_n(packet->data + size, AV_INPUT_BUFFER_PADDING_SIZE, 0);
  return true;
}

// Feeds one packet and takes at most one picture; a full decoder gives one up first.
bool DecodePacket(const uint8_t* data, int32_t size) {
  if (codecId == AV_CODEC_ID_THEORA && !TakeTheoraSetup(&data, &size)) return false;
  if (!FillPacket(data, size)) return false;
  const int sent = avcodec_send_packet(context, packet);
  const bool got = avcodec_receive_frame(context, decoded) == 0;
  if (sent == AVERROR(EAGAIN) && got) avcodec_send_packet(context, packet);
  return got;
}

// libswscale wants JPEG's full-range layouts named as their plain twins plus a range flag.
AVPixelFormat SourceLayout(int format, bool* fullRange) {
  constexpr struct {
    AVPixelFormat jpeg, plain;
  } kFullRange[] = {{AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV420P},
                    {AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUV422P},
                    {AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_YUV444P},
                    {AV_PIX_FMT_YUVJ440P, AV_PIX_FMT_YUV440P},
                    {AV_PIX_FMT_YUVJ411P, AV_PIX_FMT_YUV411P}};
  for (const auto& layout : kFullRange) {
    if (format != layout.jpeg) continue;
    *fullRange = true;
    return layout.plain;
  }
  *fullRange = format != AV_PIX_FMT_NONE && decoded->color_range == AVCOL_RANGE_JPEG;
  return AVPixelFormat(format);
}

bool PrepareScaler(int width, int height) {
  bool fullRange = false;
  const AVPixelFormat layout = SourceLayout(decoded->format, &fullRange);
  scaler = sws_getCachedContext(scaler, decoded->width, decoded->height, layout, width, height,
                                AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!scaler) return false;
  const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
  sws_setColorspaceDetails(scaler, coefficients, fullRange, coefficients, 0, 0, 1 << 16, 1 << 16);
  return true;
}

// A yuv420p picture at the announced size, converted by libswscale when the decoder gave
// another layout or size, so the blitters never read outside the planes.
bool ConformPicture(AVFrame* picture) {
  const int width = announcedWidth > 0 ? announcedWidth : decoded->width;
  const int height = announcedHeight > 0 ? announcedHeight : decoded->height;
  if (decoded->format == AV_PIX_FMT_YUV420P && decoded->width == width &&
      decoded->height == height) {
    av_frame_move_ref(picture, decoded);
    return true;
  }
  picture->format = AV_PIX_FMT_YUV420P;
  picture->width = width;
  picture->height = height;
  if (!PrepareScaler(width, height) || av_frame_get_buffer(picture, kPlaneAlignment) < 0)
    return false;
  sws_scale(scaler, decoded->data, decoded->linesize, 0, decoded->height, picture->data,
            picture->linesize);
  av_frame_unref(decoded);
  return true;
}

// The first picture of an item names itself as its previous picture.
void DescribePicture(DecodedPicture* picture) {
  const AVFrame* before = previous->data[0] ? previous : current;
  *picture = DecodedPicture{
      .Luma = current->data[0],
      .Cr = current->data[2],
      .Cb = current->data[1],
      .LumaStride = current->linesize[0],
      .ChromaStride = current->linesize[1],
      .PreviousLuma = before->data[0],
      .PreviousCr = before->data[2],
      .PreviousCb = before->data[1],
  };
}

}  // namespace

EXPORT void DecodeSetFourCC(const char* fourCC) {
  std::lock_guard<std::mutex> hold(decoderLock);
  codecId = CodecForFourCC(fourCC);
}

EXPORT int32_t DecodeInit(int32_t, int32_t command, void* params, int32_t) {
  std::lock_guard<std::mutex> hold(decoderLock);
  if (command == DECODE_INIT_NEW_ITEM)
    return OpenDecoder(static_cast<const VideoDecoderParams*>(params)) ? 0 : -1;
  if (command == DECODE_INIT_END_ITEM) CloseDecoder();
  return 0;
}

// Decodes even when render is 0: later pictures refer to this one.
EXPORT int32_t DecodeFrame(const uint8_t* data, int32_t size, DecodedPicture* picture, int32_t) {
  std::lock_guard<std::mutex> hold(decoderLock);
  if (!context || size <= 0 || !DecodePacket(data, size)) return 0;
  AVFrame* next = av_frame_alloc();
  if (!next || !ConformPicture(next)) {
    av_frame_free(&next);
    return 0;
  }
  av_frame_unref(previous);
  av_frame_move_ref(previous, current);
  av_frame_move_ref(current, next);
  av_frame_free(&next);
  DescribePicture(picture);
  return 1;
}
