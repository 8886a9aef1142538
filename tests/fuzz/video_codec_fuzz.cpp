// The video codec plug-in fed by the reader: the input is an AVI file, opened by the built-in
// reader; its packets go to MorvelantVideo.so with the file's FourCC and picture size, within the
// player's own limit (1024 x 512, as FFmpeg's fuzzers cap pixels). Property: every picture the
// plug-in describes covers the announced size in all three planes (each row is read).
#include <vector>

#include "media/avi_reader.h"
#include "media/reader_state.h"
#include "morvelant/decoded_picture.h"
#include "morvelant/video_codec.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/text.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr int32_t kMaxPlayedWidth = 1024, kMaxPlayedHeight = 512;
constexpr int32_t kMaxPackets = 64;

struct VideoCodec {
  DecodeSetFourCCFunction setFourCC;
  DecodeInitFunction init;
  DecodeFrameFunction frame;
};
VideoCodec codec;

uint32_t TouchPlane(const uint8_t* plane, int32_t stride, int32_t width, int32_t height) {
  uint32_t sum = 0;
  for (int32_t row = 0; row < height; ++row)
    for (int32_t x = 0; x < width; ++x) sum += plane[int64_t{row} * stride + x];
  return sum;
}

void CheckPicture(const DecodedPicture& p, int32_t width, int32_t height) {
  FUZZ_CHECK(p.Luma && p.Cb && p.Cr && p.LumaStride >= width);
  FUZZ_CHECK(p.ChromaStride >= (width + 1) / 2);
  volatile uint32_t sum = TouchPlane(p.Luma, p.LumaStride, width, height);
  sum = sum + TouchPlane(p.Cb, p.ChromaStride, (width + 1) / 2, (height + 1) / 2);
  sum = sum + TouchPlane(p.Cr, p.ChromaStride, (width + 1) / 2, (height + 1) / 2);
}

void DecodePackets(const ReaderOps& ops, const MediaDescriptor& d) {
  codec.setFourCC(d.FourCC);
  VideoDecoderParams params{
      .PictureWidth = d.Width, .PictureHeight = d.Height, .OutputKind = OUTPUT_UPRIGHT};
  codec.init(0, DECODE_INIT_NEW_ITEM, &params, 0);
  static std::vector<uint8_t> packet(kPacketBufferBytes);
  for (int32_t n = 0; n < kMaxPackets && d.CurrentFrame < d.FrameCount; ++n) {
    const int32_t size = ops.ReadVideoFrame(packet.data(), 0);
    if (size < 0) break;
    DecodedPicture picture{};
    if (codec.frame(packet.data(), size, &picture, 2)) CheckPicture(picture, d.Width, d.Height);
  }
  codec.init(0, DECODE_INIT_END_ITEM, nullptr, 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetExecutableFolder(MORVELANT_DIST_DIR);
  KeepPluginsLoaded({"Tarnic.so", "TarnicCache.so"});
  const LibraryHandle library = LoadLibrary(u"MorvelantVideo.so");
  if (!library) PropertyFailed("MorvelantVideo.so loads", __FILE__, __LINE__);
  codec = {reinterpret_cast<DecodeSetFourCCFunction>(GetProcAddress(library, "DecodeSetFourCC")),
           reinterpret_cast<DecodeInitFunction>(GetProcAddress(library, "DecodeInit")),
           reinterpret_cast<DecodeFrameFunction>(GetProcAddress(library, "DecodeFrame"))};
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string path = Utf8ToWide(MemoryFileWith(data, size));
  ReaderOps ops{};
  InstallAviReader(&ops);
  MediaDescriptor* d = nullptr;
  if (ops.Open(path.c_str(), READER_MODE_LOCAL, 0, &d) == 1 && d->FrameCount > 0 && d->Width > 0 &&
      d->Height > 0 && d->Width <= kMaxPlayedWidth && d->Height <= kMaxPlayedHeight)
    DecodePackets(ops, *d);
  ops.Close();
  return 0;
}
