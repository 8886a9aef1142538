// The reader plug-ins on files: the input's first byte picks MorvelantMpegReader.so or
// MorvelantMediaReader.so (and the largest picture the reader parameter allows), the rest is
// the file, opened through the reader table as the player calls it: open, the video packets
// into the player's packet buffer, the audio, seeks by percentage and by frame, progress,
// close, and reads after the close. The work per input is capped, so that a long (or lying)
// file is no time-out. Properties: the descriptor holds sizes within the player's limits, no
// packet is larger than the buffer, no audio read returns more than asked, progress stays in
// 0..100, and a closed reader delivers nothing.
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "morvelant/reader_interface.h"
#include "morvelant/video_codec.h"
#include "platform/text.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr int32_t kPacketBuffer = 128000;  // the player's packet buffer
constexpr int32_t kAudioRequest = 4096;
constexpr int kMaxVideoReads = 400, kMaxAudioReads = 400, kSeeks = 4;

constexpr const char* kReaders[] = {"MorvelantMpegReader.so", "MorvelantMediaReader.so"};
constexpr size_t kReaderCount = sizeof kReaders / sizeof kReaders[0];

// Reader parameters: 0 (the default largest picture, 640 x 480), a small screen's, and the
// largest picture the player takes from any reader.
constexpr int32_t kParameters[] = {0, 320 << 16 | 240, 1024 << 16 | 512,
                                   VIDEO_MAX_PICTURE_SIDE << 16 | 2304};

ReaderOps readers[kReaderCount];

// libavformat's complaints about damaged files would flood the output and slow fuzzing; its
// log level is set through the plug-in, which links it.
void QuietLogOf(void* library) {
  constexpr int kLogQuiet = -8;  // AV_LOG_QUIET
  if (auto* setLevel = reinterpret_cast<void (*)(int)>(dlsym(library, "av_log_set_level")))
    setLevel(kLogQuiet);
}

ReaderOps TableOf(const char* file) {
  void* library = dlopen((std::string(MORVELANT_DIST_DIR) + "/" + file).c_str(), RTLD_NOW);
  auto* initialize =
      library ? reinterpret_cast<InitializeReaderFunction>(dlsym(library, "InitializeReader"))
              : nullptr;
  ReaderOps table{};
  if (!initialize || !initialize(&table) || !table.Open || !table.ReadAudio ||
      !table.ReadVideoFrame || !table.Seek || !table.GetProgress || !table.Close)
    std::abort();
  QuietLogOf(library);
  return table;
}

void CheckDescriptor(const MediaDescriptor& d, int32_t parameter) {
  FUZZ_CHECK(d.FrameCount >= 0 && d.AudioLength >= 0);
  FUZZ_CHECK(d.ChapterCount >= 0 && d.ChapterCount <= MAX_CHAPTERS);
  FUZZ_CHECK(d.FourCCTerminator == 0);
  if (d.FrameCount == 0) return;
  const int32_t largestWidth = parameter ? parameter >> 16 : 640;
  const int32_t largestHeight = parameter ? parameter & 0xFFFF : 480;
  FUZZ_CHECK(d.Width > 0 && d.Width <= largestWidth && d.Height > 0 && d.Height <= largestHeight);
  FUZZ_CHECK(int64_t(d.Width) * d.Height <= VIDEO_MAX_PICTURE_PIXELS);
  FUZZ_CHECK(d.FramesPerSecond > 0 && d.FramesPerSecond <= 1000);
}

void CheckProgress(const ReaderOps& ops) {
  const double progress = ops.GetProgress();
  FUZZ_CHECK(progress >= 0 && progress <= 100);
}

void ReadVideo(const ReaderOps& ops, const MediaDescriptor& d) {
  static std::vector<uint8_t> packet(kPacketBuffer);
  for (int n = 0; n < kMaxVideoReads; ++n) {
    const int32_t size = ops.ReadVideoFrame(packet.data(), n % 7 == 3);
    if (size < 0) break;
    FUZZ_CHECK(size <= kPacketBuffer);
    FUZZ_CHECK(d.CurrentFrame >= 0 && d.CurrentFrame <= d.FrameCount);
    if (ops.IsKeyFrame) ops.IsKeyFrame(d.CurrentFrame - 1);
  }
}

void ReadAudio(const ReaderOps& ops, int reads) {
  static std::vector<uint8_t> audio(kAudioRequest);
  for (int n = 0; n < reads; ++n) {
    const int32_t asked = n % 3 == 1 ? 1 + n % 1000 : kAudioRequest;
    const int32_t got = ops.ReadAudio(audio.data(), asked);
    FUZZ_CHECK(got >= 0 && got <= asked);
    if (got == 0) break;
  }
}

void SeekAround(const ReaderOps& ops, const MediaDescriptor& d, const uint8_t* data, size_t size) {
  for (size_t i = 0; i < kSeeks && i < size; ++i) {
    const int32_t mode = i % 2 ? SEEK_BY_FRAME : SEEK_BY_PERCENT;
    const int32_t target = mode == SEEK_BY_FRAME ? int32_t(data[i]) * 8 - 16 : data[i] % 110;
    FUZZ_CHECK(ops.Seek(target, mode) > 0);
    FUZZ_CHECK(d.CurrentFrame >= 0 && d.CurrentFrame <= std::max(d.FrameCount, 0));
    CheckProgress(ops);
    if (ops.ResyncAudio) FUZZ_CHECK(ops.ResyncAudio() > 0);
    ReadAudio(ops, 2);
    ReadVideo(ops, d);
    CheckProgress(ops);
  }
  if (ops.SeekChapter && d.ChapterCount > 0) ops.SeekChapter(d.ChapterCount - 1);
}

void CheckClosed(const ReaderOps& ops) {
  uint8_t some[64];
  FUZZ_CHECK(ops.ReadAudio(some, sizeof some) == 0);
  static std::vector<uint8_t> packet(kPacketBuffer);
  FUZZ_CHECK(ops.ReadVideoFrame(packet.data(), 0) < 0);
  ops.Seek(50, SEEK_BY_PERCENT);
  CheckProgress(ops);
  ops.Close();  // harmless when closed
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (size_t i = 0; i < kReaderCount; ++i) readers[i] = TableOf(kReaders[i]);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const ReaderOps& ops = readers[data[0] % kReaderCount];
  const int32_t parameter = kParameters[data[0] / kReaderCount % std::size(kParameters)];
  const std::u16string path = Utf8ToWide(MemoryFileWith(data + 1, size - 1));
  MediaDescriptor* d = nullptr;
  if (ops.Open(path.c_str(), READER_MODE_LOCAL, parameter, &d)) {
    FUZZ_CHECK(d != nullptr);
    CheckDescriptor(*d, parameter);
    CheckProgress(ops);
    ReadVideo(ops, *d);
    ReadAudio(ops, kMaxAudioReads);
    CheckProgress(ops);
    SeekAround(ops, *d, data + 1, size - 1);
  }
  ops.Close();
  CheckClosed(ops);
  return 0;
}
