/* What a video codec plug-in exports besides the DecodedPicture contract of
 * video/decoded_picture.h. Plain C, for third-party codecs. */
#ifndef MORVELANT_CODECS_VIDEO_CODEC_H
#define MORVELANT_CODECS_VIDEO_CODEC_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VIDEO_EXPORT_DECODE_INIT "DecodeInit"
#define VIDEO_EXPORT_DECODE_FRAME "DecodeFrame"
#define VIDEO_EXPORT_SET_FOURCC "DecodeSetFourCC"

/* Optional, our addition: the DecodeInit parameter record does not say which codec the item
 * uses, so the player calls this export (when present) right after loading the library for an
 * item, before DecodeInit, with the item's four-character code (4 characters, terminated). */
typedef void (*DecodeSetFourCCFunction)(const char* fourCC);

#ifdef __cplusplus
}
#endif
#endif
