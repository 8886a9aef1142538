/* The input library interface: the four exports through which the built-in AVI reader reads
 * every byte of a file. Two interchangeable builds exist, "Tarnic.dll" (plain file input) and
 * "TarnicCache.dll" (cached input). Plain C so that third parties can build one against it.
 *
 * The library holds one open file at a time; no handle is passed. Opening a file closes the one
 * before. Offsets and positions are 32-bit: files up to 2 GiB - 1 bytes are addressed. The
 * reader calls every entry point under its own lock, so a library needs none of its own. */
#ifndef MORVELANT_MEDIA_INPUT_LIBRARY_H
#define MORVELANT_MEDIA_INPUT_LIBRARY_H

#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Seek origins. */
#define TARNIC_FROM_START 0
#define TARNIC_FROM_CURRENT 1

/* Opens the file named by the wide path. The two reserved arguments are 0. The tuning values
 * are the library's own (each build documents them). Result: 0 = failure (an empty file counts
 * as one), otherwise the file's length in bytes, at most INT32_MAX. */
typedef int32_t (*TarnicOpenFunction)(const char16_t* path, int32_t reserved1, int32_t reserved2,
                                      int32_t tuning1, int32_t tuning2);
/* Reads up to count bytes at the current position into destination and moves past them.
 * Result: the bytes read, fewer at the end of the file, 0 when nothing is open. */
typedef int32_t (*TarnicReadFunction)(uint8_t* destination, int32_t count);
/* Moves the position by offset from the start (origin 0) or from the current position
 * (origin 1); a position past the end is allowed, reads there give 0 bytes. Result: the new
 * position, or -1 (position unchanged) for a negative position, another origin, or no file. */
typedef int32_t (*TarnicSeekFunction)(int32_t offset, int32_t origin);
/* Closes the open file, if any. The result means nothing. */
typedef int32_t (*TarnicCloseFunction)(void);

#define TARNIC_OPEN_EXPORT "TarnicOpen"
#define TARNIC_READ_EXPORT "TarnicRead"
#define TARNIC_SEEK_EXPORT "TarnicSeek"
#define TARNIC_CLOSE_EXPORT "TarnicClose"

#ifdef __cplusplus
}
#endif
#endif
