/* The codec interface headers are plain C and keep 32-bit words on a 32-bit build: every
 * argument and result of the entry points is one 32-bit word there. */
#include "morvelant/audio_decoder.h"
#include "morvelant/decoded_picture.h"
#include "morvelant/video_codec.h"

_Static_assert(sizeof(void*) == 4, "built as a 32-bit program");
_Static_assert(sizeof(DecoderInitFunction) == 4 && sizeof(GetHeaderInfoFunction) == 4,
               "entry points are one word");
_Static_assert(sizeof(char16_t) == 2, "tag buffers hold UTF-16");
_Static_assert(AUDIO_STATUS_CONSUMED == 0x8000 && AUDIO_STATUS_ABORT == -2, "status words");
_Static_assert(AUDIO_OUTPUT_CAPACITY <= AUDIO_OUTPUT_BUFFER_SIZE, "capacity fits a wave buffer");

int main(void) {
  DecodeSetFourCCFunction setFourCC = 0;
  DecoderSetFormatFunction setFormat = 0;
  DecoderSetWaveFormatFunction setWaveFormat = 0;
  return setFourCC == 0 && setFormat == 0 && setWaveFormat == 0 ? 0 : 1;
}
