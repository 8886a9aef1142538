// Times every blitter and dithering worker on 320x240, 640x480 and 800x600 frames, and on the
// same frames the conversions a user would pick instead: libyuv's I420ToRGB565 and libswscale's
// yuv420p to rgb565le and bgr565le (SWS_FAST_BILINEAR), with a memcpy of the bytes a 1:1 blit
// reads and writes as the floor. Names are <Name>/<W>x<H>. MORVELANT_BLIT_PATH=reference, sse2
// or avx2 picks the blit path; the fastest one available is the default. MORVELANT_BENCH_FRAME=mild
// draws frames whose colours never reach the limits (the dithering workers' slowest case).
#include <benchmark/benchmark.h>
#include <libyuv/convert_argb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/player_state.h"
#include "video/blitter.h"
extern "C" {
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace {

struct FrameSize {
  int32_t width, height;
};
constexpr FrameSize kSizes[] = {{320, 240}, {640, 480}, {800, 600}};
// Large enough that no blitter crops the biggest frame, doubled or rotated.
constexpr int32_t kUncroppedScreen = 4096;

// One decoded picture: a luma ramp with texture and smooth chroma, as a video frame has.
struct Frame {
  int32_t width, height;
  std::vector<uint8_t> luma, cr, cb;
  std::vector<uint16_t> output;  // room for the doubled output

  // A mild frame keeps every colour clear of the limits, so that no dithering chain clamps:
  // the workers' slowest case.
  Frame(int32_t w, int32_t h, bool mild)
      : width(w),
        height(h),
        luma(static_cast<size_t>(w) * h),
        cr(static_cast<size_t>(w / 2) * (h / 2)),
        cb(cr.size()),
        output(4 * luma.size()) {
    const int32_t lumaLow = mild ? 60 : 16, lumaRange = mild ? 120 : 220;
    const int32_t chromaLow = mild ? 108 : 64, chromaRange = mild ? 40 : 128;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x)
        luma[y * w + x] = static_cast<uint8_t>(lumaLow + (x + y + (x * y) % 13) % lumaRange);
    }
    for (int32_t y = 0; y < h / 2; ++y) {
      for (int32_t x = 0; x < w / 2; ++x) {
        cr[y * (w / 2) + x] = static_cast<uint8_t>(chromaLow + (x * 3) % chromaRange);
        cb[y * (w / 2) + x] = static_cast<uint8_t>(chromaLow + (y * 5) % chromaRange);
      }
    }
  }
};

struct Kind {
  const char* name;
  Blitter blitter;
  DitherWorker worker;  // set for the workers, called with the cropped picture directly
  bool rotated;
  bool doubled;
};

const Kind kKinds[] = {
    {"BlitUpright", BlitUpright, nullptr, false, false},
    {"DitherUpright", nullptr, DitherUpright, false, false},
    {"BlitUprightDouble", BlitUprightDouble, nullptr, false, true},
    {"DitherUprightDouble", nullptr, DitherUprightDouble, false, true},
    {"BlitRotated", BlitRotated, nullptr, true, false},
    {"DitherRotated", nullptr, DitherRotated, true, false},
    {"BlitRotatedAlt", BlitRotatedAlt, nullptr, true, false},
    {"DitherRotatedAlt", nullptr, DitherRotatedAlt, true, false},
    {"BlitRotatedDouble", BlitRotatedDouble, nullptr, true, true},
    {"DitherRotatedDouble", nullptr, DitherRotatedDouble, true, true},
};

void RunKind(benchmark::State& state, const Kind& kind, Frame& frame) {
  const int32_t w = frame.width, h = frame.height;
  const int32_t across = kind.rotated ? h : w;
  // Lines as the player lays them out: the doubled ones one doubled line apart.
  const int32_t rowSkip = kind.doubled ? across : 0;
  const int32_t first = kind.rotated ? w - 1 : 0;
  const int32_t end = kind.rotated ? (kind.doubled ? 0 : -1) : w;
  const int32_t step = kind.rotated ? -1 : 1;
  for (auto _ : state) {
    if (kind.blitter) {
      kind.blitter(frame.luma.data(), w, frame.cr.data(), frame.cb.data(), w / 2,
                   frame.output.data(), w, h, rowSkip, 0, 0, nullptr, nullptr, nullptr, 0);
    } else {
      kind.worker(frame.luma.data(), w, frame.cr.data(), frame.cb.data(), w / 2,
                  frame.output.data(), w, h, rowSkip, 1, 0, nullptr, nullptr, nullptr, 0, first,
                  end, step);
    }
    benchmark::DoNotOptimize(frame.output.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w) * h *
                          (kind.doubled ? 4 : 1));
}

void RunLibyuv(benchmark::State& state, Frame& frame) {
  const int32_t w = frame.width, h = frame.height;
  for (auto _ : state) {
    libyuv::I420ToRGB565(frame.luma.data(), w, frame.cb.data(), w / 2, frame.cr.data(), w / 2,
                         reinterpret_cast<uint8_t*>(frame.output.data()), 2 * w, w, h);
    benchmark::DoNotOptimize(frame.output.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w) * h);
}

void RunSwscale(benchmark::State& state, Frame& frame, AVPixelFormat format) {
  const int32_t w = frame.width, h = frame.height;
  SwsContext* context = sws_getContext(w, h, AV_PIX_FMT_YUV420P, w, h, format, SWS_FAST_BILINEAR,
                                       nullptr, nullptr, nullptr);
  if (!context) {
    state.SkipWithError("libswscale has no context for this conversion");
    return;
  }
  const uint8_t* planes[] = {frame.luma.data(), frame.cb.data(), frame.cr.data()};
  const int strides[] = {w, w / 2, w / 2};
  uint8_t* out[] = {reinterpret_cast<uint8_t*>(frame.output.data())};
  const int outStrides[] = {2 * w};
  for (auto _ : state) {
    sws_scale(context, planes, strides, 0, h, out, outStrides);
    benchmark::DoNotOptimize(frame.output.data());
    benchmark::ClobberMemory();
  }
  sws_freeContext(context);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w) * h);
}

// A 1:1 blit reads 1.5 bytes and writes 2 per pixel; a memcpy of half that total moves the
// same number of bytes.
void RunMemcpy(benchmark::State& state, Frame& frame) {
  const size_t bytes = static_cast<size_t>(frame.width) * frame.height * 7 / 4;
  std::vector<uint8_t> source(bytes, 1);
  for (auto _ : state) {
    std::memcpy(frame.output.data(), source.data(), bytes);
    benchmark::DoNotOptimize(frame.output.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(frame.width) * frame.height);
}

std::string Name(const char* name, const FrameSize& size) {
  return std::string(name) + "/" + std::to_string(size.width) + "x" + std::to_string(size.height);
}

void ChooseBlitPath() {
  const char* wanted = std::getenv("MORVELANT_BLIT_PATH");
  for (BlitPath path : {BlitPath::Reference, BlitPath::Sse2, BlitPath::Avx2, BlitPath::Neon}) {
    if (wanted && std::strcmp(wanted, BlitPathName(path)) == 0) UseBlitPath(path);
  }
  benchmark::AddCustomContext("blit_path", BlitPathName(CurrentBlitPath()));
}

// With repetitions, a "min" row beside mean and median: other work on the machine only adds
// time, so the fastest run is the steadiest figure.
template <class Run>
void Register(const std::string& name, Run run) {
  benchmark::RegisterBenchmark(name.c_str(), run)
      ->ComputeStatistics("min", [](const std::vector<double>& times) {
        return *std::min_element(times.begin(), times.end());
      });
}

void RegisterAll(std::vector<Frame>& frames) {
  for (size_t i = 0; i < frames.size(); ++i) {
    Frame* frame = &frames[i];
    const FrameSize& size = kSizes[i];
    for (const Kind& kind : kKinds) {
      Register(Name(kind.name, size),
               [&kind, frame](auto& state) { RunKind(state, kind, *frame); });
    }
    Register(Name("libyuv_I420ToRGB565", size), [frame](auto& state) { RunLibyuv(state, *frame); });
    Register(Name("swscale_rgb565le", size),
             [frame](auto& state) { RunSwscale(state, *frame, AV_PIX_FMT_RGB565LE); });
    Register(Name("swscale_bgr565le", size),
             [frame](auto& state) { RunSwscale(state, *frame, AV_PIX_FMT_BGR565LE); });
    Register(Name("memcpy", size), [frame](auto& state) { RunMemcpy(state, *frame); });
  }
}

}  // namespace

int main(int argc, char** argv) {
  screenWidth = kUncroppedScreen;
  screenHeight = kUncroppedScreen;
  std::vector<Frame> frames;
  const char* frameKind = std::getenv("MORVELANT_BENCH_FRAME");
  const bool mild = frameKind && std::strcmp(frameKind, "mild") == 0;
  benchmark::AddCustomContext("frame", mild ? "mild" : "textured");
  for (const FrameSize& size : kSizes) frames.emplace_back(size.width, size.height, mild);
  av_log_set_level(AV_LOG_ERROR);  // swscale notes each unaccelerated context
  ChooseBlitPath();
  RegisterAll(frames);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
