// Opening a two-hour MP4 (H.264 + AAC) and a two-hour MP3 and seeking to 50 %, up to the first
// decoded picture or the first decoded samples: the reader plug-ins with the shipped codec
// plug-ins, side by side with what a user would run instead, `ffmpeg -ss <half> -i FILE` with
// one frame to the null muxer. Both are timed in wall-clock time, as ffmpeg runs in a child
// process. The goal: at most 1.5 times ffmpeg's time.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "morvelant/audio_decoder.h"
#include "morvelant/decoded_picture.h"
#include "morvelant/reader_interface.h"
#include "morvelant/video_codec.h"
#include "platform/files.h"

extern char** environ;

namespace {

constexpr int kTwoHours = 7200;
constexpr int32_t kPacketBufferBytes = 128000;

std::string MakeFile(const std::string& name, const std::string& ffmpegArgs) {
  const std::string file = std::string(MORVELANT_BENCH_DIR) + "/" + name;
  if (!FileExists(file)) {
    const std::string line = "ffmpeg -nostdin -v error -y " + ffmpegArgs + " '" + file + "'";
    if (std::system(line.c_str()) != 0) return "";
  }
  return file;
}

const std::string& Movie() {
  static const std::string file =
      MakeFile("two_hours.mp4",
               "-f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine=frequency=440 "
               "-t 7200 -c:v libx264 -preset ultrafast -g 250 -pix_fmt yuv420p -c:a aac "
               "-b:a 64k");
  return file;
}

const std::string& Song() {
  static const std::string file =
      MakeFile("two_hours.mp3", "-f lavfi -i sine=frequency=440 -t 7200 -c:a libmp3lame -b:a 128k");
  return file;
}

template <typename Function>
Function Export(const char* library, const char* name) {
  void* handle = dlopen((std::string(MORVELANT_DIST_DIR) + "/" + library).c_str(), RTLD_NOW);
  return handle ? reinterpret_cast<Function>(dlsym(handle, name)) : nullptr;
}

ReaderOps Reader(const char* library) {
  ReaderOps ops{};
  if (auto initialize = Export<InitializeReaderFunction>(library, "InitializeReader"))
    initialize(&ops);
  return ops;
}

void ReaderSeekToFirstPicture(benchmark::State& state) {
  const ReaderOps ops = Reader("MorvelantMediaReader.so");
  const auto setFourCC =
      Export<DecodeSetFourCCFunction>("MorvelantVideo.so", VIDEO_EXPORT_SET_FOURCC);
  const auto init = Export<DecodeInitFunction>("MorvelantVideo.so", VIDEO_EXPORT_DECODE_INIT);
  const auto decode = Export<DecodeFrameFunction>("MorvelantVideo.so", VIDEO_EXPORT_DECODE_FRAME);
  if (!ops.Open || !setFourCC || !init || !decode || Movie().empty())
    return state.SkipWithError("plug-ins or media missing");
  const std::u16string path(Movie().begin(), Movie().end());
  std::vector<uint8_t> packet(kPacketBufferBytes);
  for (auto _ : state) {
    MediaDescriptor* d = nullptr;
    if (!ops.Open(path.c_str(), READER_MODE_LOCAL, 0, &d)) return state.SkipWithError("Open");
    setFourCC(d->FourCC);
    VideoDecoderParams params{
        .PictureWidth = d->Width, .PictureHeight = d->Height, .OutputKind = OUTPUT_UPRIGHT};
    init(0, DECODE_INIT_NEW_ITEM, &params, 0);
    ops.Seek(50, SEEK_BY_PERCENT);
    DecodedPicture picture{};
    for (int32_t size = 0; size >= 0;) {
      size = ops.ReadVideoFrame(packet.data(), 0);
      if (size > 0 && decode(packet.data(), size, &picture, 1)) break;
    }
    benchmark::DoNotOptimize(picture.Luma);
    init(0, DECODE_INIT_END_ITEM, nullptr, 0);
    ops.Close();
  }
}

void ReaderSeekToFirstSamples(benchmark::State& state) {
  const ReaderOps ops = Reader("MorvelantMpegReader.so");
  const char* codec = "MorvelantMpegAudio.so";
  const auto init = Export<DecoderInitFunction>(codec, AUDIO_EXPORT_INIT);
  const auto exit = Export<DecoderExitFunction>(codec, AUDIO_EXPORT_EXIT);
  const auto header = Export<GetHeaderInfoFunction>(codec, AUDIO_EXPORT_HEADER);
  const auto decompress = Export<DecompressAudioFunction>(codec, AUDIO_EXPORT_DECOMPRESS);
  if (!ops.Open || !init || !exit || !header || !decompress || Song().empty())
    return state.SkipWithError("plug-ins or media missing");
  const std::u16string path(Song().begin(), Song().end());
  std::vector<uint8_t> input(AUDIO_INPUT_SIZE), output(AUDIO_OUTPUT_BUFFER_SIZE);
  char16_t title[AUDIO_TAG_CHARS], artist[AUDIO_TAG_CHARS], album[AUDIO_TAG_CHARS];
  for (auto _ : state) {
    MediaDescriptor* d = nullptr;
    if (!ops.Open(path.c_str(), READER_MODE_LOCAL, 0, &d)) return state.SkipWithError("Open");
    ops.Seek(50, SEEK_BY_PERCENT);
    init(0, nullptr);
    int32_t rate = 0, channels = 0, bitrate = 0, outLength = 0, position = 0;
    ops.ReadAudio(input.data(), AUDIO_INPUT_SIZE);
    header(input.data(), AUDIO_INPUT_SIZE, &rate, &channels, &bitrate, title, artist, album);
    decompress(input.data(), AUDIO_INPUT_SIZE, output.data(), AUDIO_OUTPUT_CAPACITY, &outLength,
               &position);
    benchmark::DoNotOptimize(outLength);
    exit();
    ops.Close();
  }
}

void Ffmpeg(benchmark::State& state, const std::string& file, const char* oneFrame) {
  if (file.empty()) return state.SkipWithError("media missing");
  const std::string half = std::to_string(kTwoHours / 2);
  const char* argv[] = {"ffmpeg",     "-nostdin", "-v", "error", "-ss",  half.c_str(), "-i",
                        file.c_str(), oneFrame,   "1",  "-f",    "null", "-",          nullptr};
  for (auto _ : state) {
    pid_t child = 0;
    if (posix_spawnp(&child, "ffmpeg", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
      return state.SkipWithError("ffmpeg");
    int status = 0;
    waitpid(child, &status, 0);
  }
}

void FfmpegSeekToFirstPicture(benchmark::State& state) {
  Ffmpeg(state, Movie(), "-frames:v");
}

void FfmpegSeekToFirstSamples(benchmark::State& state) {
  Ffmpeg(state, Song(), "-frames:a");
}

BENCHMARK(ReaderSeekToFirstPicture)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FfmpegSeekToFirstPicture)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ReaderSeekToFirstSamples)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FfmpegSeekToFirstSamples)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
