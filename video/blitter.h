// The blitter contract: every blitter turns one decoded 4:2:0 picture into 16-bit pixels (red in
// bits 0-4, green 5-10, blue 11-15), two horizontally adjacent pixels per 32-bit store, left pixel
// in the low half. The video thread calls the current blitter under the decode lock; blitters keep
// no state between calls and crop to the player-wide screenWidth and screenHeight.
//
// Picture: luma (x, y) at y * lumaStride + x; both chroma samples of luma (x, y) at
// (y / 2) * chromaStride + x / 2, so each chroma plane holds (width + 1) / 2 by (height + 1) / 2
// samples. The previous-frame planes share those strides and are read only when `compare` is 1
// (and all three are given).
//
// Destination: output line n starts n * P pixels after `destination`. Upright, P is the cropped
// width plus the row skip; rotated, the cropped height plus the row skip; a negative row skip
// counts as 0, and a doubled blitter's P is at least its doubled line. Nothing outside (lines - 1)
// * P + line length pixels is written.
//
// Odd sizes: the 2 by 2 block walks (BlitUpright, BlitRotated and their workers) leave the last
// column of an odd width and the last row of an odd height undrawn; the upright blitters leave
// the last output column or row untouched, the rotated ones drop that source column (the output
// then has width - 1 lines, each starting with the second-rightmost column). The doubled blitters
// and BlitRotatedAlt walk single columns and draw odd sizes whole.
//
// Cropping: a centred crop skips half the excess rounded down to an even number of columns or
// rows, so that chroma stays paired with its luma and whole rows are skipped whatever the
// strides. The interpolating doubler (DitherUprightDouble) takes the last row as its own row
// below. `brightness` has no limits; values beyond +-1024 saturate every sample as those do.
#pragma once

#include <cstdint>

// The 15 arguments, in the order every caller passes them.
using BlitterFunction = void(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr,
                             const uint8_t* cb, int32_t chromaStride, uint16_t* destination,
                             int32_t width, int32_t height, int32_t rowSkip, int32_t filterLevel,
                             int32_t brightness, const uint8_t* previousLuma,
                             const uint8_t* previousCr, const uint8_t* previousCb, int32_t compare);
using Blitter = BlitterFunction*;

// A dithering worker takes the cropped picture and destination plus the column walk its blitter
// uses (first column, end column, step): 0, width, 1 upright; width - 1, -1, -1 for the 1:1
// rotated ones; width - 1, 0, -1 for the doubled rotated one. Each worker's walk is fixed by its
// kind; the three values describe it for the caller.
using DitherWorkerFunction = void(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr,
                                  const uint8_t* cb, int32_t chromaStride, uint16_t* destination,
                                  int32_t width, int32_t height, int32_t rowSkip,
                                  int32_t filterLevel, int32_t brightness,
                                  const uint8_t* previousLuma, const uint8_t* previousCr,
                                  const uint8_t* previousCb, int32_t compare, int32_t firstColumn,
                                  int32_t endColumn, int32_t columnStep);
using DitherWorker = DitherWorkerFunction*;

// Output kind 5: one screen pixel per source pixel, exact conversion, centred crop.
BlitterFunction BlitUpright;
// Output kind 8: every source pixel doubled both ways, fast conversion, top-left crop.
BlitterFunction BlitUprightDouble;
// Output kind 7: a quarter turn anticlockwise, exact conversion, centred crop.
BlitterFunction BlitRotated;
// Output kind 7 on devices that need it: as BlitRotated, walked in strips of 64 source columns.
BlitterFunction BlitRotatedAlt;
// Output kind 9: rotated and doubled, fast conversion, top-left crop; source column 0 undrawn.
BlitterFunction BlitRotatedDouble;

// The dithering workers the blitters hand their work to when the filter level is not 0.
DitherWorkerFunction DitherUpright;
DitherWorkerFunction DitherUprightDouble;
DitherWorkerFunction DitherRotated;
DitherWorkerFunction DitherRotatedAlt;
DitherWorkerFunction DitherRotatedDouble;

// Which implementation runs the blitters. The fastest one the processor offers is chosen at the
// first blit; tests and benchmarks may switch. Every path gives bit-identical output.
enum class BlitPath { Reference, Sse2, Avx2, Neon };

bool BlitPathAvailable(BlitPath path);
// Switches to `path` when available; returns whether it did.
bool UseBlitPath(BlitPath path);
BlitPath CurrentBlitPath();
const char* BlitPathName(BlitPath path);
