// Pictures and destinations for the blitter tests: planes with their own strides, and a
// destination surrounded by a guard band that must come back untouched.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "video/blitter.h"

struct TestPicture {
  int32_t width = 0;
  int32_t height = 0;
  int32_t lumaStride = 0;
  int32_t chromaStride = 0;
  std::vector<uint8_t> luma, cr, cb;

  TestPicture(int32_t w, int32_t h, int32_t lumaPadding = 0, int32_t chromaPadding = 0)
      : width(w),
        height(h),
        lumaStride(w + lumaPadding),
        chromaStride((w + 1) / 2 + chromaPadding),
        luma(static_cast<size_t>(lumaStride) * h),
        cr(static_cast<size_t>(chromaStride) * ((h + 1) / 2)),
        cb(cr.size()) {}

  uint8_t& Y(int32_t x, int32_t y) { return luma[static_cast<size_t>(y) * lumaStride + x]; }
  uint8_t& Cr(int32_t x, int32_t y) {
    return cr[static_cast<size_t>(y / 2) * chromaStride + x / 2];
  }
  uint8_t& Cb(int32_t x, int32_t y) {
    return cb[static_cast<size_t>(y / 2) * chromaStride + x / 2];
  }

  void Fill(uint8_t y, uint8_t crValue, uint8_t cbValue) {
    std::fill(luma.begin(), luma.end(), y);
    std::fill(cr.begin(), cr.end(), crValue);
    std::fill(cb.begin(), cb.end(), cbValue);
  }
  void Randomize(std::mt19937& random) { Randomize(random, 0, 255, 0, 255); }
  void Randomize(std::mt19937& random, int lumaLow, int lumaHigh, int chromaLow, int chromaHigh) {
    std::uniform_int_distribution<int> lumaValue(lumaLow, lumaHigh),
        chromaValue(chromaLow, chromaHigh);
    for (uint8_t& v : luma) v = static_cast<uint8_t>(lumaValue(random));
    for (auto* plane : {&cr, &cb}) {
      for (uint8_t& v : *plane) v = static_cast<uint8_t>(chromaValue(random));
    }
  }
};

// A destination of `lines` lines `pitch` pixels apart, with a guard band before and after.
struct TestCanvas {
  static constexpr size_t kGuard = 64;
  static constexpr uint16_t kUntouched = 0xA5A5;
  int32_t pitch;
  int32_t lines;
  std::vector<uint16_t> pixels;

  TestCanvas(int32_t linePitch, int32_t lineCount, uint16_t fill = kUntouched)
      : pitch(linePitch),
        lines(lineCount),
        pixels(2 * kGuard + static_cast<size_t>(linePitch) * lineCount, fill) {}

  uint16_t* Destination() { return pixels.data() + kGuard; }
  uint16_t At(int32_t line, int32_t column) const {
    return pixels[kGuard + static_cast<size_t>(line) * pitch + column];
  }
  bool GuardIntact(uint16_t fill = kUntouched) const {
    for (size_t i = 0; i < kGuard; ++i) {
      if (pixels[i] != fill || pixels[pixels.size() - 1 - i] != fill) return false;
    }
    return true;
  }
};

struct BlitCall {
  int32_t rowSkip = 0;
  int32_t filterLevel = 0;
  int32_t brightness = 0;
  const TestPicture* previous = nullptr;
  int32_t compare = 0;
};

inline void RunBlitter(Blitter blitter, const TestPicture& p, uint16_t* destination,
                       const BlitCall& call) {
  const TestPicture* prev = call.previous;
  blitter(p.luma.data(), p.lumaStride, p.cr.data(), p.cb.data(), p.chromaStride, destination,
          p.width, p.height, call.rowSkip, call.filterLevel, call.brightness,
          prev ? prev->luma.data() : nullptr, prev ? prev->cr.data() : nullptr,
          prev ? prev->cb.data() : nullptr, call.compare);
}

struct NamedBlitter {
  const char* name;
  Blitter blitter;
};

inline const std::vector<NamedBlitter>& AllBlitters() {
  static const std::vector<NamedBlitter> blitters = {
      {"BlitUpright", BlitUpright},
      {"BlitUprightDouble", BlitUprightDouble},
      {"BlitRotated", BlitRotated},
      {"BlitRotatedAlt", BlitRotatedAlt},
      {"BlitRotatedDouble", BlitRotatedDouble},
  };
  return blitters;
}

inline std::vector<BlitPath> AvailablePaths() {
  std::vector<BlitPath> paths;
  for (BlitPath path : {BlitPath::Reference, BlitPath::Sse2, BlitPath::Avx2, BlitPath::Neon}) {
    if (BlitPathAvailable(path)) paths.push_back(path);
  }
  return paths;
}
