#include "tests/media/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "media/avi_reader.h"
#include "media/reader_state.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tests/support/avi_writer.h"

namespace {

std::string folder;

void RemoveTempFolder() {
  std::filesystem::remove_all(folder);
}

}  // namespace

const std::string& TempFolder() {
  // CTest runs tests as parallel processes: each works in a folder of its own.
  if (folder.empty()) {
    std::string pattern = ::testing::TempDir() + "/morvelant-media-XXXXXX";
    folder = mkdtemp(pattern.data());
    std::atexit(RemoveTempFolder);
  }
  return folder;
}

std::string WriteTempFile(const std::string& name, const std::string& bytes) {
  const std::string path = TempFolder() + "/" + name;
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
