// The input libraries as the reader loads them from build/dist.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <random>
#include <string>

#include "morvelant/input_library.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/text.h"
#include "tests/media/test_files.h"

namespace {

struct Input {
  LibraryHandle library;
  TarnicOpenFunction Open;
  TarnicReadFunction Read;
  TarnicSeekFunction Seek;
  TarnicCloseFunction Close;
};

Input Load(const char16_t* name) {
  SetExecutableFolder(MORVELANT_DIST_DIR);
  const LibraryHandle library = LoadLibrary(name);
  EXPECT_NE(library, nullptr) << LibraryLoadError();
  return {library,
          reinterpret_cast<TarnicOpenFunction>(GetProcAddress(library, TARNIC_OPEN_EXPORT)),
          reinterpret_cast<TarnicReadFunction>(GetProcAddress(library, TARNIC_READ_EXPORT)),
          reinterpret_cast<TarnicSeekFunction>(GetProcAddress(library, TARNIC_SEEK_EXPORT)),
          reinterpret_cast<TarnicCloseFunction>(GetProcAddress(library, TARNIC_CLOSE_EXPORT))};
}

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + (i >> 9));
  return bytes;
}

// Read system calls made by this process so far.
long ReadCalls() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long value;
  while (io >> key >> value)
    if (key == "syscr:") return value;
  return -1;
}

class TarnicTest : public ::testing::TestWithParam<const char16_t*> {};

TEST_P(TarnicTest, OpensReadsAndSeeksLikeTheFile) {
  const Input input = Load(GetParam());
  const std::string content = Pattern(300000);
  const std::u16string path = Utf8ToWide(WriteTempFile("tarnic.bin", content));
  const std::u16string other = Utf8ToWide(WriteTempFile("tarnic-other.bin", "0123456789"));
  EXPECT_EQ(input.Open(Utf8ToWide(TempFolder() + "/missing").c_str(), 0, 0, 0, 0), 0);
  EXPECT_EQ(input.Open(Utf8ToWide(WriteTempFile("empty.bin", "")).c_str(), 0, 0, 0, 0), 0);
  // A FIFO (nobody writing) or a folder is refused at once, never waited on.
  const std::string fifo = TempFolder() + "/tarnic.fifo";
  ASSERT_TRUE(FileExists(fifo) || mkfifo(fifo.c_str(), 0600) == 0);
  EXPECT_EQ(input.Open(Utf8ToWide(fifo).c_str(), 0, 0, -1, 1000000), 0);
  EXPECT_EQ(input.Open(Utf8ToWide(TempFolder()).c_str(), 0, 0, -1, 1000000), 0);
  EXPECT_EQ(input.Open(path.c_str(), 0, 0, -1, 1000000), 300000);
  EXPECT_EQ(input.Open(path.c_str(), 0, 0, 4000000, 0), 300000);
  std::mt19937 random(7);
  std::string got(70000, '\0');
  int32_t position = 0;
  for (int i = 0; i < 2000; ++i) {
    const bool relative = random() % 3 == 0;
    const int32_t target = static_cast<int32_t>(random() % 310000);
    const int32_t count = static_cast<int32_t>(i % 50 == 0 ? random() % 70000 : random() % 5000);
    const int32_t moved = relative ? input.Seek(target - position, TARNIC_FROM_CURRENT)
                                   : input.Seek(target, TARNIC_FROM_START);
    ASSERT_EQ(moved, target);
    const int32_t read = input.Read(reinterpret_cast<uint8_t*>(got.data()), count);
    const int32_t expected = std::max(0, std::min(count, 300000 - target));
    ASSERT_EQ(read, expected) << target << " " << count;
    ASSERT_EQ(got.substr(0, read), content.substr(std::min(target, 300000), read));
    position = target + read;
  }
  EXPECT_EQ(input.Seek(-1, TARNIC_FROM_START), -1);
  EXPECT_EQ(input.Seek(0, 2), -1);
  // A second open replaces the first.
  EXPECT_EQ(input.Open(other.c_str(), 0, 0, 4000000, 0), 10);
  EXPECT_EQ(input.Read(reinterpret_cast<uint8_t*>(got.data()), 100), 10);
  EXPECT_EQ(got.substr(0, 10), "0123456789");
  input.Close();
  EXPECT_EQ(input.Read(reinterpret_cast<uint8_t*>(got.data()), 10), 0);
  FreeLibrary(input.library);
}

INSTANTIATE_TEST_SUITE_P(BothLibraries, TarnicTest,
                         ::testing::Values(u"Tarnic.dll", u"TarnicCache.dll"));

// Playback's pattern: video packets and audio pieces a little apart, each a seek then a read.
long ReadCallsForPlayback(const char16_t* library) {
  const Input input = Load(library);
  const std::u16string path = Utf8ToWide(WriteTempFile("playback.bin", Pattern(4000000)));
  input.Open(path.c_str(), 0, 0, 4000000, 0);
  uint8_t buffer[3000];
  const long before = ReadCalls();
  for (int32_t frame = 0; frame < 1000; ++frame) {
    input.Seek(frame * 3000, TARNIC_FROM_START);
    input.Read(buffer, 2500);
    input.Seek(frame * 3000 + 150000, TARNIC_FROM_START);  // the audio runs ahead
    input.Read(buffer, 400);
  }
  const long calls = ReadCalls() - before;
  input.Close();
  FreeLibrary(input.library);
  return calls;
}

TEST(TarnicCacheTest, SmallSeekThenReadPairsCostFewSystemCalls) {
  const long plain = ReadCallsForPlayback(u"Tarnic.dll");
  const long cached = ReadCallsForPlayback(u"TarnicCache.dll");
  EXPECT_GE(plain, 2000);
  EXPECT_LT(cached, 60) << "plain " << plain;
}

}  // namespace
