// The built-in AVI reader end to end, through the input libraries (plain, or cached when the
// input's last byte is 7 modulo 8: the cached library's 4 MB of windows per open make it much
// slower to fuzz) over the input held in memory: open, every packet (dropping some as a late
// video thread does), the audio, seeks by percentage and by frame, resync, progress.
// Properties: no packet is larger than the packet buffer or the file, the cursor stays within
// the frames, the audio read from the start is exactly AudioLength, progress stays in 0..100.
#include <algorithm>
#include <vector>

#include "media/avi_reader.h"
#include "media/reader_state.h"
#include "morvelant/reader_interface.h"
#include "morvelant/video_codec.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr int32_t kAudioRequest = 4096;

void ReadAllVideo(const ReaderOps& ops, const MediaDescriptor& d, size_t fileSize) {
  static std::vector<uint8_t> packet(kPacketBufferBytes);
  for (int32_t n = 0; d.CurrentFrame < d.FrameCount; ++n) {
    const int32_t size = ops.ReadVideoFrame(packet.data(), n % 7 == 3);
    if (size < 0) break;
    FUZZ_CHECK(size <= kPacketBufferBytes && size_t(size) <= fileSize);
    FUZZ_CHECK(d.CurrentFrame <= d.FrameCount);
  }
}

int64_t ReadAllAudio(const ReaderOps& ops) {
  static std::vector<uint8_t> audio(kAudioRequest);
  int64_t total = 0;
  while (const int32_t got = ops.ReadAudio(audio.data(), kAudioRequest)) {
    FUZZ_CHECK(got > 0 && got <= kAudioRequest);
    total += got;
  }
  return total;
}

void SeekAround(const ReaderOps& ops, const MediaDescriptor& d, const uint8_t* data, size_t size) {
  for (size_t i = 0; i < 4 && i < size; ++i) {
    const int32_t span = ops.Seek(data[i] % 101, i % 2 ? SEEK_BY_FRAME : SEEK_BY_PERCENT);
    FUZZ_CHECK(span >= 0 && span <= std::max(d.AudioLength, 1));
    FUZZ_CHECK(d.CurrentFrame >= 0 && d.CurrentFrame <= std::max(d.FrameCount, 0));
    const double progress = ops.GetProgress();
    FUZZ_CHECK(progress >= 0 && progress <= 100);
    const int32_t resync = ops.ResyncAudio();
    FUZZ_CHECK(resync >= 0 && resync <= d.AudioLength);
    uint8_t some[700];
    ops.ReadAudio(some, sizeof some);
    static std::vector<uint8_t> packet(kPacketBufferBytes);
    ops.ReadVideoFrame(packet.data(), 0);
    ops.IsKeyFrame(data[i]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetExecutableFolder(MORVELANT_DIST_DIR);
  KeepPluginsLoaded({"Tarnic.so", "TarnicCache.so"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string path = Utf8ToWide(MemoryFileWith(data, size));
  const int32_t mode = size > 0 && data[size - 1] % 8 == 7 ? READER_MODE_CACHED : READER_MODE_LOCAL;
  ReaderOps ops{};
  InstallAviReader(&ops);
  MediaDescriptor* d = nullptr;
  if (ops.Open(path.c_str(), mode, 0, &d) == 1) {
    FUZZ_CHECK(d && d->FrameCount >= 0 && d->AudioLength >= 0);
    FUZZ_CHECK(d->Width <= VIDEO_MAX_PICTURE_SIDE && d->Height <= VIDEO_MAX_PICTURE_SIDE);
    ReadAllVideo(ops, *d, size);
    FUZZ_CHECK(ReadAllAudio(ops) == d->AudioLength);
    SeekAround(ops, *d, data, size);
  }
  ops.Close();
  return 0;
}
