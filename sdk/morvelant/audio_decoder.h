/* The audio codec plug-in interface: the entry points a codec library exports, as the player
 * calls them, and the status words they return. Plain C, so that third parties can build audio
 * codecs against it. All entry points are called from the audio thread, except DecoderInit
 * (equalizer changes), SeekStart and SeekEnd, which the main window's thread may call while the
 * audio thread decodes: a codec serialises its own state. */
#ifndef MORVELANT_CODECS_AUDIO_DECODER_H
#define MORVELANT_CODECS_AUDIO_DECODER_H

#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Bytes of stream handed to GetHeaderInfo and at most to DecompressAudio; the retry after the
 * sound device refused the format hands one byte less. */
#define AUDIO_INPUT_SIZE 4096
#define AUDIO_RETRY_INPUT_SIZE 4095
/* The data area of one wave buffer, and the capacity word DecompressAudio always receives: a
 * codec writes at most that many bytes per call and keeps the rest for the next call. */
#define AUDIO_OUTPUT_BUFFER_SIZE 8192
#define AUDIO_OUTPUT_CAPACITY 4800
/* Title, artist and album buffers, in wide characters including the terminator. */
#define AUDIO_TAG_CHARS 200
/* Rates the player asks for when the device refused the stream's own. */
#define AUDIO_RETRY_RATE_HIGH 44100
#define AUDIO_RETRY_RATE_LOW 22050

/* Status words. A positive status other than AUDIO_STATUS_CONSUMED is a keep count: the last n
 * bytes of the input were not used and come back at the front of the next input. */
#define AUDIO_STATUS_READY 0         /* GetHeaderInfo: outputs valid. Decompress: more pending */
#define AUDIO_STATUS_CONSUMED 0x8000 /* all input used */
#define AUDIO_STATUS_ABORT (-2)      /* DecompressAudio: stop now, drop this call's output */

/* DecoderInit (else "Init"): starts a decoding pass, or applies a new equalizer setting while
 * one runs. bands: the 11 equalizer bytes of the player settings (signed dB, -12..+12, byte 0
 * the preamplifier, then 31 Hz .. 16 kHz), or null to keep the codec's current bands. */
typedef int32_t (*DecoderInitFunction)(int32_t equalizerOn, const int8_t* bands);
/* DecoderExit (else "Exit"): ends a decoding pass. */
typedef int32_t (*DecoderExitFunction)(void);
/* GetHeaderInfo: reads the stream header from the first bytes of the stream. rate holds, on
 * entry, the output rate asked for (0 = the stream's own) and on return the output rate;
 * bitrate is in bits per second (0 = unknown). title, artist, album: AUDIO_TAG_CHARS buffers
 * the codec may fill. Returns AUDIO_STATUS_READY, a keep count, or AUDIO_STATUS_CONSUMED /
 * a negative value (the whole buffer was used; give a fresh one). */
typedef int32_t (*GetHeaderInfoFunction)(uint8_t* input, int32_t length, int32_t* rate,
                                         int32_t* channels, int32_t* bitrate, char16_t* title,
                                         char16_t* artist, char16_t* album);
/* DecompressAudio: decodes input (or, with null input and 0 length, delivers more of what it
 * holds) into 16-bit PCM at output, at most capacity bytes; *outLength = bytes written;
 * *position = stream bytes consumed since DecoderInit or the last seek. Returns
 * AUDIO_STATUS_READY (call again with null input), a keep count, AUDIO_STATUS_CONSUMED,
 * AUDIO_STATUS_ABORT, or another negative value (decoding ends). */
typedef int32_t (*DecompressAudioFunction)(const uint8_t* input, int32_t length, uint8_t* output,
                                           int32_t capacity, int32_t* outLength, int32_t* position);
/* SeekStart / SeekEnd: bracket every repositioning of the stream. */
typedef int32_t (*SeekBracketFunction)(void);

/* Optional, our addition: the player calls it (when exported) right after it loads the codec
 * for an item, before any other entry point (DecoderSetWaveFormat follows it), with the item's
 * wave format tag and the channels and rate the reader reported (0 when unknown). A codec
 * serving several tags learns its format here; it also forgets any record an earlier item's
 * DecoderSetWaveFormat gave. */
typedef void (*DecoderSetFormatFunction)(int32_t formatTag, int32_t channels, int32_t sampleRate);

/* Optional, our addition: called (when exported) right after DecoderSetFormat, and only when
 * the reader knows the audio stream's format record: the WAVEFORMATEX bytes of the container,
 * little-endian, as stored (tag, channels, rate, bytes per second, block alignment, bits per
 * sample, extra size, then the extra bytes, such as MS ADPCM's coefficients or IMA ADPCM's
 * samples per block). The record may be shorter than 18 bytes or damaged: a codec checks every
 * field it reads against `length`. The bytes are valid during the call only. Returns 0 when the
 * codec can decode the stream so described; anything else refuses the record, and the player
 * switches the item's audio off with a message. A codec serving reader plug-ins that never give
 * a record keeps working without this call. */
typedef int32_t (*DecoderSetWaveFormatFunction)(const uint8_t* record, int32_t length);

#define AUDIO_EXPORT_INIT "DecoderInit"
#define AUDIO_EXPORT_INIT_ALT "Init"
#define AUDIO_EXPORT_EXIT "DecoderExit"
#define AUDIO_EXPORT_EXIT_ALT "Exit"
#define AUDIO_EXPORT_HEADER "GetHeaderInfo"
#define AUDIO_EXPORT_DECOMPRESS "DecompressAudio"
#define AUDIO_EXPORT_SEEK_START "SeekStart"
#define AUDIO_EXPORT_SEEK_END "SeekEnd"
#define AUDIO_EXPORT_SET_FORMAT "DecoderSetFormat"
#define AUDIO_EXPORT_SET_WAVE_FORMAT "DecoderSetWaveFormat"

#ifdef __cplusplus
}
#endif
#endif
