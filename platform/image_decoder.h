// The image decoder: JPEG, PNG, BMP and GIF files, pulled piece by piece through the caller's
// data callback, scaled down to fit a maximum size, returned as a 16-bit bitmap that can be
// selected into a memory device context. Main thread (any thread that owns the result).
#pragma once

#include <cstdint>

#include "platform/drawing.h"

// Fills `buffer` with up to `capacity` bytes of the file; 0 at its end (or on failure).
using ImageDataCallback = uint32_t (*)(uint8_t* buffer, uint32_t capacity, uintptr_t user);
// Progress reports; may be null.
using ImageProgressCallback = void (*)(BitmapHandle bitmap, bool complete, uintptr_t user);

// The decode request, in the order callers fill it.
struct DecompressImageInfo {
  uint32_t size;                // sizeof(DecompressImageInfo)
  uint8_t* buffer;              // the caller's staging buffer for the data callback
  uint32_t bufferCapacity;      // bytes asked for per callback (at most)
  uint32_t bufferUsed;          // bytes already in the buffer before the first callback
  BitmapHandle* result;         // receives the bitmap, or null when nothing decodes
  void** renderObject;          // unused (null)
  uint32_t bitDepth;            // requested depth; the bitmap is always the screen's 16 bits
  uintptr_t user;               // handed to both callbacks
  DeviceContextHandle dc;       // the context the bitmap is made compatible with
  int32_t scale;                // per cent of the full size (100 or 0: full size)
  int32_t maxWidth, maxHeight;  // the result fits inside, keeping its proportions (0: any)
  ImageDataCallback getData;
  ImageProgressCallback progress;
  uint32_t transparentColor;  // unused (all bits set)
};

constexpr int32_t kImageDecoded = 0;
constexpr int32_t kImageFailed = -1;
// Stores the new bitmap (the caller owns it: DeleteBitmap) or null in *info->result and returns
// kImageDecoded or kImageFailed. A file that does not decode never leaves an earlier bitmap.
int32_t DecompressImageIndirect(DecompressImageInfo* info);
