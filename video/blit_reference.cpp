// The scalar reference blitters: each kernel walks the cropped picture exactly in the order its
// blitter is defined by, one sample at a time. They are the definition of the output; the
// vector paths are checked against them bit for bit.
#include "video/blit_frame.h"
#include "video/colour_conversion.h"

namespace {

struct Sample {
  int32_t y;
  int32_t cr;
  int32_t cb;
};

// Luma (x, y) with the chroma pair of (chromaX, chromaY).
Sample SampleAt(const BlitFrame& f, int32_t x, int32_t y, int32_t chromaX, int32_t chromaY) {
  const ptrdiff_t c = ChromaIndex(f, chromaX, chromaY);
  return {f.luma[LumaIndex(f, x, y)], f.cr[c], f.cb[c]};
}
Sample SampleAt(const BlitFrame& f, int32_t x, int32_t y) {
  return SampleAt(f, x, y, x, y);
}

uint16_t Exact(const BlitFrame& f, Sample s) {
  return ExactPixel(s.y, s.cr, s.cb, f.brightness);
}
uint16_t Fast(const BlitFrame& f, Sample s) {
  return FastPixel(s.y, s.cr, s.cb, f.brightness);
}
Rgb Dithered(const BlitFrame& f, Sample s, Rgb& error) {
  return DitheredRgb(s.y, s.cr, s.cb, f.brightness, error);
}
Rgb Interpolated(const BlitFrame& f, Sample s) {
  return InterpolatedRgb(s.y, s.cr, s.cb, f.brightness);
}

}  // namespace

namespace reference {

// Upright 1:1 ------------------------------------------------------------------------------------

void BlitUpright(const BlitFrame& f) {
  const ptrdiff_t pitch = LinePitch(f, f.width);
  for (int32_t y = 0; y < EvenPart(f.height); y += 2) {
    for (int32_t x = 0; x < EvenPart(f.width); x += 2) {
      if (f.compare && LumaUnchanged(f, x, y)) continue;
      const ptrdiff_t at = y * pitch + x;
      StorePair(f.destination, at, Exact(f, SampleAt(f, x, y, x, y)),
                Exact(f, SampleAt(f, x + 1, y, x, y)));
      StorePair(f.destination, at + pitch, Exact(f, SampleAt(f, x, y + 1, x, y)),
                Exact(f, SampleAt(f, x + 1, y + 1, x, y)));
    }
  }
}

void DitherUpright(const BlitFrame& f) {
  const ptrdiff_t pitch = LinePitch(f, f.width);
  Rgb error = {0, 0, 0};
  for (int32_t y = 0; y < EvenPart(f.height); y += 2) {
    for (int32_t x = 0; x < EvenPart(f.width); x += 2) {
      if (f.compare && LumaUnchanged(f, x, y) && LumaUnchanged(f, x, y + 1) &&
          ChromaUnchanged(f, x, y)) {
        continue;
      }
      const uint16_t topLeft = Pack565(Dithered(f, SampleAt(f, x, y, x, y), error));
      const uint16_t topRight = Pack565(Dithered(f, SampleAt(f, x + 1, y, x, y), error));
      const uint16_t bottomLeft = Pack565(Dithered(f, SampleAt(f, x, y + 1, x, y), error));
      const uint16_t bottomRight = Pack565(Dithered(f, SampleAt(f, x + 1, y + 1, x, y), error));
      const ptrdiff_t at = y * pitch + x;
      StorePair(f.destination, at, topLeft, topRight);
      StorePair(f.destination, at + pitch, bottomLeft, bottomRight);
    }
  }
}

// Upright doubled -------------------------------------------------------------------------------

void BlitUprightDouble(const BlitFrame& f) {
  const ptrdiff_t pitch = DoubledLinePitch(f, f.width);
  for (int32_t y = 0; y < f.height; ++y) {
    for (int32_t x = 0; x < f.width; ++x) {
      if (f.compare && LumaUnchanged(f, x, y)) continue;
      const uint16_t pixel = Fast(f, SampleAt(f, x, y));
      const ptrdiff_t at = 2 * y * pitch + 2 * x;
      StorePair(f.destination, at, pixel, pixel);
      StorePair(f.destination, at + pitch, pixel, pixel);
    }
  }
}

// The interpolating doubler. The row below the last one is that row itself, so nothing beyond
// the picture is read.
void DitherUprightDouble(const BlitFrame& f) {
  const ptrdiff_t pitch = DoubledLinePitch(f, f.width);
  Rgb error = {0, 0, 0};
  for (int32_t y = 0; y < f.height; ++y) {
    const int32_t below = y + 1 < f.height ? y + 1 : y;
    for (int32_t x = 0; x < f.width; ++x) {
      if (f.compare && LumaUnchanged(f, x, y) && ChromaUnchanged(f, x, y)) continue;
      const ptrdiff_t at = 2 * y * pitch + 2 * x;
      const Rgb topLeft = Dithered(f, SampleAt(f, x, y), error);
      const Rgb bottomLeft = Average(topLeft, Interpolated(f, SampleAt(f, x, below)));
      if (x == f.width - 1) {
        const uint16_t pixel = Pack565(topLeft);
        StorePair(f.destination, at, pixel, pixel);
        StorePair(f.destination, at + pitch, pixel, pixel);
        error = MaskedErrors(bottomLeft);
        continue;
      }
      Rgb rightError = MaskedErrors(bottomLeft);
      const Rgb topRight = Average(bottomLeft, Dithered(f, SampleAt(f, x + 1, y), rightError));
      const Rgb bottomRight = Average(topRight, Interpolated(f, SampleAt(f, x + 1, below)));
      error = MaskedErrors(bottomRight);
      StorePair(f.destination, at, Pack565(topLeft), Pack565(topRight));
      StorePair(f.destination, at + pitch, Pack565(bottomLeft), Pack565(bottomRight));
    }
  }
}

// Rotated: source (x, y) goes to line w - 1 - x, column y ----------------------------------------

// An odd width drops the rightmost column, so that column pairs (x, x - 1) share a chroma sample.
void BlitRotated(const BlitFrame& f) {
  const int32_t width = EvenPart(f.width);
  for (int32_t y = 0; y < EvenPart(f.height); y += 2) {
    for (int32_t x = width - 1; x > 0; x -= 2) {
      if (f.compare && LumaUnchanged(f, x, y) && LumaUnchanged(f, x - 1, y) &&
          ChromaUnchanged(f, x, y)) {
        continue;
      }
      StorePair(f.destination, RotatedOffset(f, width, x, y), Exact(f, SampleAt(f, x, y, x, y)),
                Exact(f, SampleAt(f, x, y + 1, x, y)));
      StorePair(f.destination, RotatedOffset(f, width, x - 1, y),
                Exact(f, SampleAt(f, x - 1, y, x, y)), Exact(f, SampleAt(f, x - 1, y + 1, x, y)));
    }
  }
}

void DitherRotated(const BlitFrame& f) {
  const int32_t width = EvenPart(f.width);
  Rgb error = {0, 0, 0};
  for (int32_t y = 0; y < EvenPart(f.height); y += 2) {
    for (int32_t x = width - 1; x != -1; x -= 2) {
      if (f.compare && LumaUnchanged(f, x, y) && LumaUnchanged(f, x - 1, y) &&
          ChromaUnchanged(f, x, y)) {
        continue;
      }
      const uint16_t top = Pack565(Dithered(f, SampleAt(f, x, y, x, y), error));
      const uint16_t leftTop = Pack565(Dithered(f, SampleAt(f, x - 1, y, x, y), error));
      const uint16_t bottom = Pack565(Dithered(f, SampleAt(f, x, y + 1, x, y), error));
      const uint16_t leftBottom = Pack565(Dithered(f, SampleAt(f, x - 1, y + 1, x, y), error));
      StorePair(f.destination, RotatedOffset(f, width, x, y), top, bottom);
      StorePair(f.destination, RotatedOffset(f, width, x - 1, y), leftTop, leftBottom);
    }
  }
}

// Walks the strips of 64 source columns from the right, row pairs from the top, columns right to
// left; `store` gets the column, the row pair's top row and the two samples.
template <typename Store>
void WalkAltStrips(const BlitFrame& f, Store store) {
  if (f.width < kAltStripColumns) return;
  for (int32_t stripEnd = f.width - 1; stripEnd >= 0; stripEnd -= kAltStripColumns) {
    const int32_t stripStart = stripEnd >= kAltStripColumns ? stripEnd - kAltStripColumns + 1 : 0;
    for (int32_t pair = 0; pair < AltRowPairs(f.height); ++pair) {
      const int32_t y = 2 * pair;
      for (int32_t x = stripEnd; x >= stripStart; --x) {
        store(x, y, SampleAt(f, x, y, x, y), SampleAt(f, x, y + 1, x, y + 2));
      }
    }
  }
}

void BlitRotatedAlt(const BlitFrame& f) {
  WalkAltStrips(f, [&f](int32_t x, int32_t y, Sample top, Sample bottom) {
    StorePair(f.destination, RotatedOffset(f, f.width, x, y), Exact(f, top), Exact(f, bottom));
  });
}

void DitherRotatedAlt(const BlitFrame& f) {
  Rgb error = {0, 0, 0};
  WalkAltStrips(f, [&f, &error](int32_t x, int32_t y, Sample top, Sample bottom) {
    const uint16_t first = Pack565(Dithered(f, top, error));
    StorePair(f.destination, RotatedOffset(f, f.width, x, y), first,
              Pack565(Dithered(f, bottom, error)));
  });
}

// Rotated doubled: source column 0 is not drawn ---------------------------------------------------

void BlitRotatedDouble(const BlitFrame& f) {
  const ptrdiff_t pitch = DoubledLinePitch(f, f.height);
  for (int32_t y = 0; y < f.height; ++y) {
    for (int32_t x = f.width - 1; x >= 1; --x) {
      const uint16_t pixel = Fast(f, SampleAt(f, x, y));
      const ptrdiff_t at = RotatedDoubleOffset(f, pitch, x, y);
      StorePair(f.destination, at, pixel, pixel);
      StorePair(f.destination, at + pitch, pixel, pixel);
    }
  }
}

void DitherRotatedDouble(const BlitFrame& f) {
  const ptrdiff_t pitch = DoubledLinePitch(f, f.height) & ~ptrdiff_t{1};
  for (int32_t y = 0; y < f.height; ++y) {
    Rgb error = {kRotatedDoubleStartError, kRotatedDoubleStartError, kRotatedDoubleStartError};
    for (int32_t x = f.width - 1; x >= 1; --x) {
      const ptrdiff_t at = RotatedDoubleOffset(f, pitch, x, y);
      const Rgb first = Dithered(f, SampleAt(f, x, y), error);
      const Rgb second = Dithered(f, SampleAt(f, x, y), error);
      if (x == 1) {
        StorePair(f.destination, at, Pack565(first), Pack565(first));
        StorePair(f.destination, at + pitch, Pack565(first), Pack565(first));
        break;
      }
      const Rgb next = Interpolated(f, SampleAt(f, x - 1, y));
      const Rgb nearSecond = Average(second, next);
      const Rgb nearNext = Average(next, nearSecond);
      error = MaskedErrors(nearNext);
      StorePair(f.destination, at, Pack565(first), Pack565(second));
      StorePair(f.destination, at + pitch, Pack565(nearSecond), Pack565(nearNext));
    }
  }
}

}  // namespace reference

const BlitKernels referenceKernels = {
    .blitUpright = reference::BlitUpright,
    .ditherUpright = reference::DitherUpright,
    .blitUprightDouble = reference::BlitUprightDouble,
    .ditherUprightDouble = reference::DitherUprightDouble,
    .blitRotated = reference::BlitRotated,
    .ditherRotated = reference::DitherRotated,
    .blitRotatedAlt = reference::BlitRotatedAlt,
    .ditherRotatedAlt = reference::DitherRotatedAlt,
    .blitRotatedDouble = reference::BlitRotatedDouble,
    .ditherRotatedDouble = reference::DitherRotatedDouble,
};
