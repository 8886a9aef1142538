// The blitters' entry points: each one crops the picture to what the screen holds, then runs the
// current path's kernel, or its dithering worker when the filter level is not 0.
#include "core/player_state.h"
#include "video/blit_frame.h"
#include "video/blitter.h"
#include "video/colour_conversion.h"

namespace {

BlitFrame MakeFrame(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr, const uint8_t* cb,
                    int32_t chromaStride, uint16_t* destination, int32_t width, int32_t height,
                    int32_t rowSkip, int32_t brightness, const uint8_t* previousLuma,
                    const uint8_t* previousCr, const uint8_t* previousCb, int32_t compare) {
  const bool comparable = compare != 0 && previousLuma && previousCr && previousCb;
  return {.luma = luma,
          .cr = cr,
          .cb = cb,
          .previousLuma = comparable ? previousLuma : nullptr,
          .previousCr = comparable ? previousCr : nullptr,
          .previousCb = comparable ? previousCb : nullptr,
          .lumaStride = lumaStride,
          .chromaStride = chromaStride,
          .destination = destination,
          .width = width,
          .height = height,
          .rowSkip = rowSkip < 0 ? 0 : rowSkip,
          .brightness = LimitBrightness(brightness),
          .compare = comparable};
}

bool Drawable(const BlitFrame& f) {
  return f.luma && f.cr && f.cb && f.destination && f.width > 0 && f.height > 0;
}

void AdvancePlanes(BlitFrame& f, ptrdiff_t lumaBytes, ptrdiff_t chromaBytes) {
  f.luma += lumaBytes;
  f.cr += chromaBytes;
  f.cb += chromaBytes;
  if (!f.compare) return;
  f.previousLuma += lumaBytes;
  f.previousCr += chromaBytes;
  f.previousCb += chromaBytes;
}

// Where a centred crop starts: half the excess, rounded down to even so that every luma pair
// keeps its own chroma sample and whole rows are skipped whatever the strides are.
int32_t CentredCropStart(int32_t excess) {
  return (excess >> 1) & ~1;
}

void CropCentred(BlitFrame& f, int32_t maxWidth, int32_t maxHeight) {
  if (f.height > maxHeight) {
    const int32_t rows = CentredCropStart(f.height - maxHeight);
    AdvancePlanes(f, static_cast<ptrdiff_t>(rows) * f.lumaStride,
                  static_cast<ptrdiff_t>(rows / 2) * f.chromaStride);
    f.height = maxHeight;
  }
  if (f.width > maxWidth) {
    const int32_t columns = CentredCropStart(f.width - maxWidth);
    AdvancePlanes(f, columns, columns / 2);
    f.width = maxWidth;
  }
}

// Doubled output shows the picture's top-left part.
void CropTopLeft(BlitFrame& f, int32_t maxWidth, int32_t maxHeight) {
  if (2 * f.width > maxWidth) f.width = maxWidth >> 1;
  if (2 * f.height > maxHeight) f.height = maxHeight >> 1;
}

enum class Crop { UprightCentred, RotatedCentred, UprightDoubled, RotatedDoubled };

void CropToScreen(BlitFrame& f, Crop crop) {
  switch (crop) {
    case Crop::UprightCentred:
      return CropCentred(f, screenWidth, screenHeight);
    case Crop::RotatedCentred:
      return CropCentred(f, screenHeight, screenWidth);
    case Crop::UprightDoubled:
      return CropTopLeft(f, screenWidth, screenHeight);
    case Crop::RotatedDoubled:
      return CropTopLeft(f, screenHeight, screenWidth);
  }
}

void Blit(BlitFrame f, Crop crop, int32_t filterLevel, BlitKernel BlitKernels::*exact,
          BlitKernel BlitKernels::*dither) {
  CropToScreen(f, crop);
  if (!Drawable(f)) return;
  (ActiveKernels().*(filterLevel != 0 ? dither : exact))(f);
}

void Dither(const BlitFrame& f, BlitKernel BlitKernels::*dither) {
  if (Drawable(f)) (ActiveKernels().*dither)(f);
}

}  // namespace

void BlitUpright(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr, const uint8_t* cb,
                 int32_t chromaStride, uint16_t* destination, int32_t width, int32_t height,
                 int32_t rowSkip, int32_t filterLevel, int32_t brightness,
                 const uint8_t* previousLuma, const uint8_t* previousCr, const uint8_t* previousCb,
                 int32_t compare) {
  Blit(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                 brightness, previousLuma, previousCr, previousCb, compare),
       Crop::UprightCentred, filterLevel, &BlitKernels::blitUpright, &BlitKernels::ditherUpright);
}

void BlitUprightDouble(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr,
                       const uint8_t* cb, int32_t chromaStride, uint16_t* destination,
                       int32_t width, int32_t height, int32_t rowSkip, int32_t filterLevel,
                       int32_t brightness, const uint8_t* previousLuma, const uint8_t* previousCr,
                       const uint8_t* previousCb, int32_t compare) {
  Blit(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                 brightness, previousLuma, previousCr, previousCb, compare),
       Crop::UprightDoubled, filterLevel, &BlitKernels::blitUprightDouble,
       &BlitKernels::ditherUprightDouble);
}

void BlitRotated(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr, const uint8_t* cb,
                 int32_t chromaStride, uint16_t* destination, int32_t width, int32_t height,
                 int32_t rowSkip, int32_t filterLevel, int32_t brightness,
                 const uint8_t* previousLuma, const uint8_t* previousCr, const uint8_t* previousCb,
                 int32_t compare) {
  Blit(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                 brightness, previousLuma, previousCr, previousCb, compare),
       Crop::RotatedCentred, filterLevel, &BlitKernels::blitRotated, &BlitKernels::ditherRotated);
}

void BlitRotatedAlt(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr, const uint8_t* cb,
                    int32_t chromaStride, uint16_t* destination, int32_t width, int32_t height,
                    int32_t rowSkip, int32_t filterLevel, int32_t brightness,
                    const uint8_t* previousLuma, const uint8_t* previousCr,
                    const uint8_t* previousCb, int32_t compare) {
  Blit(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                 brightness, previousLuma, previousCr, previousCb, compare),
       Crop::RotatedCentred, filterLevel, &BlitKernels::blitRotatedAlt,
       &BlitKernels::ditherRotatedAlt);
}

void BlitRotatedDouble(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr,
                       const uint8_t* cb, int32_t chromaStride, uint16_t* destination,
                       int32_t width, int32_t height, int32_t rowSkip, int32_t filterLevel,
                       int32_t brightness, const uint8_t* previousLuma, const uint8_t* previousCr,
                       const uint8_t* previousCb, int32_t compare) {
  Blit(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                 brightness, previousLuma, previousCr, previousCb, compare),
       Crop::RotatedDoubled, filterLevel, &BlitKernels::blitRotatedDouble,
       &BlitKernels::ditherRotatedDouble);
}

// The workers take an already cropped picture; their column walk is fixed by their kind, the
// traversal arguments describe it.

void DitherUpright(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr, const uint8_t* cb,
                   int32_t chromaStride, uint16_t* destination, int32_t width, int32_t height,
                   int32_t rowSkip, int32_t /*filterLevel*/, int32_t brightness,
                   const uint8_t* previousLuma, const uint8_t* previousCr,
                   const uint8_t* previousCb, int32_t compare, int32_t /*firstColumn*/,
                   int32_t /*endColumn*/, int32_t /*columnStep*/) {
  Dither(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                   brightness, previousLuma, previousCr, previousCb, compare),
         &BlitKernels::ditherUpright);
}

void DitherUprightDouble(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr,
                         const uint8_t* cb, int32_t chromaStride, uint16_t* destination,
                         int32_t width, int32_t height, int32_t rowSkip, int32_t /*filterLevel*/,
                         int32_t brightness, const uint8_t* previousLuma, const uint8_t* previousCr,
                         const uint8_t* previousCb, int32_t compare, int32_t /*firstColumn*/,
                         int32_t /*endColumn*/, int32_t /*columnStep*/) {
  Dither(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                   brightness, previousLuma, previousCr, previousCb, compare),
         &BlitKernels::ditherUprightDouble);
}

void DitherRotated(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr, const uint8_t* cb,
                   int32_t chromaStride, uint16_t* destination, int32_t width, int32_t height,
                   int32_t rowSkip, int32_t /*filterLevel*/, int32_t brightness,
                   const uint8_t* previousLuma, const uint8_t* previousCr,
                   const uint8_t* previousCb, int32_t compare, int32_t /*firstColumn*/,
                   int32_t /*endColumn*/, int32_t /*columnStep*/) {
  Dither(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                   brightness, previousLuma, previousCr, previousCb, compare),
         &BlitKernels::ditherRotated);
}

void DitherRotatedAlt(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr, const uint8_t* cb,
                      int32_t chromaStride, uint16_t* destination, int32_t width, int32_t height,
                      int32_t rowSkip, int32_t /*filterLevel*/, int32_t brightness,
                      const uint8_t* previousLuma, const uint8_t* previousCr,
                      const uint8_t* previousCb, int32_t compare, int32_t /*firstColumn*/,
                      int32_t /*endColumn*/, int32_t /*columnStep*/) {
  Dither(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                   brightness, previousLuma, previousCr, previousCb, compare),
         &BlitKernels::ditherRotatedAlt);
}

void DitherRotatedDouble(const uint8_t* luma, int32_t lumaStride, const uint8_t* cr,
                         const uint8_t* cb, int32_t chromaStride, uint16_t* destination,
                         int32_t width, int32_t height, int32_t rowSkip, int32_t /*filterLevel*/,
                         int32_t brightness, const uint8_t* previousLuma, const uint8_t* previousCr,
                         const uint8_t* previousCb, int32_t compare, int32_t /*firstColumn*/,
                         int32_t /*endColumn*/, int32_t /*columnStep*/) {
  Dither(MakeFrame(luma, lumaStride, cr, cb, chromaStride, destination, width, height, rowSkip,
                   brightness, previousLuma, previousCr, previousCb, compare),
         &BlitKernels::ditherRotatedDouble);
}
