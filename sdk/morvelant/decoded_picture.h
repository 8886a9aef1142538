/* DecodedPicture: the picture description a video codec fills, and the record that tells the
 * codec what output an item gets. Plain C, shared with codec plug-ins. */
#ifndef MORVELANT_VIDEO_DECODED_PICTURE_H
#define MORVELANT_VIDEO_DECODED_PICTURE_H

#include "morvelant/static_assert.h"

#ifdef __cplusplus
extern "C" {
#endif

/* 4:2:0 planes: the chroma sample of luma (x, y) is at (y / 2) * ChromaStride + x / 2. The
 * previous frame's planes let a blitter skip blocks that did not change. */
typedef struct DecodedPicture {
  uint8_t* Luma;         /* 0 */
  uint8_t* Cr;           /* 4: the first chroma plane */
  uint8_t* Cb;           /* 8: the second chroma plane */
  int32_t LumaStride;    /* 12 */
  int32_t ChromaStride;  /* 16 */
  int32_t CodecOwn20;    /* 20: not read by the player */
  int32_t CodecOwn24;    /* 24: not read by the player */
  uint8_t* PreviousLuma; /* 28 */
  uint8_t* PreviousCr;   /* 32 */
  uint8_t* PreviousCb;   /* 36 */
  int32_t CodecOwn40;    /* 40: not read by the player */
} DecodedPicture;

#if UINTPTR_MAX == 0xFFFFFFFFu
MORVELANT_STATIC_ASSERT(sizeof(DecodedPicture) == 44, "DecodedPicture is 44 bytes on 32-bit");
MORVELANT_STATIC_ASSERT(offsetof(DecodedPicture, PreviousLuma) == 28, "PreviousLuma");
MORVELANT_STATIC_ASSERT(offsetof(DecodedPicture, CodecOwn40) == 40, "CodecOwn40");
#else
MORVELANT_STATIC_ASSERT(offsetof(DecodedPicture, LumaStride) == 3 * sizeof(void*), "LumaStride");
MORVELANT_STATIC_ASSERT(offsetof(DecodedPicture, PreviousLuma) == 3 * sizeof(void*) + 16,
                        "PreviousLuma");
#endif
/* Bytes a pass-through reader's packet carries: the record as this build lays it out. */
#define DECODED_PICTURE_SIZE ((int32_t)sizeof(DecodedPicture))

/* Output kinds handed to the codec and used to pick a blitter. */
#define OUTPUT_UPRIGHT 5
#define OUTPUT_ROTATED 7
#define OUTPUT_UPRIGHT_DOUBLE 8
#define OUTPUT_ROTATED_DOUBLE 9

/* Handed to DecodeInit with DECODE_INIT_NEW_ITEM. */
typedef struct VideoDecoderParams {
  int32_t PictureWidth;
  int32_t PictureHeight;
  int32_t Zero;
  int32_t OutputKind;
  int32_t Filtering;
} VideoDecoderParams;
MORVELANT_STATIC_ASSERT(sizeof(VideoDecoderParams) == 20, "VideoDecoderParams size");

#define DECODE_INIT_NEW_ITEM 0x8000
#define DECODE_INIT_END_ITEM 0x10000

/* Video codec exports. DecodeInit(0, command, params or null, 0); DecodeFrame(packet, size,
 * picture, render) returns nonzero when the picture describes a frame. */
typedef int32_t (*DecodeInitFunction)(int32_t zero, int32_t command, void* params, int32_t zero2);
typedef int32_t (*DecodeFrameFunction)(const uint8_t* packet, int32_t size, DecodedPicture* picture,
                                       int32_t render);

#ifdef __cplusplus
}
#endif
#endif
