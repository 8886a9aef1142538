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

/* The largest picture a reader may announce and a video codec accepts: 4096 pixels a side and
 * 4096 x 2304 pixels in all (a size taken from a file beyond this is damage, never a reason to
 * allocate). The player's own limit for playing is smaller (1024 x 512). */
#define VIDEO_MAX_PICTURE_SIDE 4096
#define VIDEO_MAX_PICTURE_PIXELS (4096 * 2304)

/* Optional, our addition: the DecodeInit parameter record does not say which codec the item
 * uses, so the player calls this export (when present) right after loading the library for an
 * item, before DecodeInit, with the item's four-character code (4 characters, terminated). */
typedef void (*DecodeSetFourCCFunction)(const char* fourCC);

#ifdef __cplusplus
}
#endif
#endif
