#include "tests/media/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "media/avi_reader.h"
#include "media/reader_state.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tests/support/avi_writer.h"

std::string WriteTempFile(const std::string& name, const std::string& bytes) {
  // CTest runs tests as parallel processes: each writes into a folder of its own.
  static const std::string folder = [] {
    std::string pattern = ::testing::TempDir() + "/morvelant-media-XXXXXX";
    return std::string(mkdtemp(pattern.data()));
  }();
  const std::string path = folder + "/" + name;
  EXPECT_TRUE(WriteBytes(path, bytes));
  return path;
}

OpenedAvi OpenAvi(const std::string& path, int32_t mode) {
  SetExecutableFolder(MORVELANT_DIST_DIR);
  OpenedAvi avi;
  InstallAviReader(&avi.ops);
  avi.ops.Close();
  avi.result = avi.ops.Open(Utf8ToWide(path).c_str(), mode, 0, &avi.descriptor);
  return avi;
}

ReadBack ReadEverything(const OpenedAvi& avi) {
  ReadBack back;
  std::vector<uint8_t> buffer(kPacketBufferBytes);
  const MediaDescriptor& descriptor = *avi.descriptor;
  while (descriptor.CurrentFrame < descriptor.FrameCount) {
    const int32_t size = avi.ops.ReadVideoFrame(buffer.data(), 0);
    if (size < 0) break;
    back.packetSizes.push_back(size);
    back.video.append(reinterpret_cast<const char*>(buffer.data()), size);
  }
  constexpr int32_t kAudioRequest = 4096;
  while (const int32_t got = avi.ops.ReadAudio(buffer.data(), kAudioRequest))
    back.audio.append(reinterpret_cast<const char*>(buffer.data()), got);
  return back;
}
