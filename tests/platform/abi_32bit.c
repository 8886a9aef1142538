/* Compiled with -m32: the interface records keep the layout 32-bit plug-ins were built for. */
#include "core/player_settings.h"
#include "morvelant/decoded_picture.h"
#include "morvelant/reader_interface.h"

_Static_assert(sizeof(void*) == 4, "this file is compiled as a 32-bit program");
_Static_assert(sizeof(ReaderOps) == 44, "ReaderOps");
_Static_assert(sizeof(DecodedPicture) == 44, "DecodedPicture");
_Static_assert(offsetof(DecodedPicture, LumaStride) == 12, "LumaStride");
_Static_assert(offsetof(DecodedPicture, ChromaStride) == 16, "ChromaStride");
_Static_assert(offsetof(DecodedPicture, PreviousCb) == 36, "PreviousCb");
_Static_assert(sizeof(MediaDescriptor) == 10072, "MediaDescriptor");
_Static_assert(sizeof(PlayerSettings) == 1132, "PlayerSettings");
_Static_assert(sizeof(VideoDecoderParams) == 20, "VideoDecoderParams");

int main(void) {
  return 0;
}
