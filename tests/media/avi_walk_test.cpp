// The top-level walk over crafted files held in memory, counting the input reads it makes: the
// work must follow the useful data, not the junk around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "media/avi_opendml.h"
#include "media/avi_parser.h"
#include "tests/support/avi_writer.h"

namespace {

// The input library's read and seek over one string (the input has no user data).
struct MemoryFile {
  const std::string* bytes = nullptr;
  int64_t position = 0;
  long reads = 0;
};
MemoryFile file;

int32_t MemoryRead(uint8_t* destination, int32_t count) {
  ++file.reads;
  const int64_t size = static_cast<int64_t>(file.bytes->size());
  const int64_t got = std::clamp<int64_t>(size - file.position, 0, count);
  std::memcpy(destination, file.bytes->data() + std::min(file.position, size), size_t(got));
  file.position += got;
  return static_cast<int32_t>(got);
}

int32_t MemorySeek(int32_t offset, int32_t origin) {
  const int64_t target = (origin == TARNIC_FROM_START ? 0 : file.position) + offset;
  if (target < 0) return -1;
  file.position = target;
  return static_cast<int32_t>(target);
}

struct Walked {
  bool ok = false;
  long reads = 0;
  int32_t videoEntries = 0, audioEntries = 0;
};

Walked Walk(const std::string& bytes) {
  file = {.bytes = &bytes};
  AviWalk walk;
  Walked result;
  result.ok = WalkAviFile({.Read = MemoryRead, .Seek = MemorySeek}, &walk);
  result.reads = file.reads;
  result.videoEntries = walk.index.video.count;
  result.audioEntries = walk.index.audio.count;
  ReleaseIndex(&walk.index);
  return result;
}

void Put32(std::string* bytes, size_t at, uint32_t value) {
  std::memcpy(bytes->data() + at, &value, 4);
}

std::string Chunk(const char* id, const std::string& data) {
  std::string chunk(id, 4);
  chunk.resize(8);
  Put32(&chunk, 4, static_cast<uint32_t>(data.size()));
  return chunk + data + (data.size() % 2 ? std::string(1, '\0') : "");
}

// Appends chunks inside the RIFF part and grows its size to cover them.
std::string WithChunksInside(std::string bytes, const std::string& chunks) {
  bytes += chunks;
  Put32(&bytes, 4, static_cast<uint32_t>(bytes.size() - 8));
  return bytes;
}

TEST(AviWalkTest, JunkCostsOneReadPerBlockNotPerChunk) {
  const std::string clean = BuildAvi(InterleavedAvi(10, 5, 100, 50)).bytes;
  std::string junk;
  for (int i = 0; i < 100000; ++i) junk += Chunk("JUNK", "");  // 800 KB of empty chunks
  const Walked walked = Walk(WithChunksInside(clean, junk));
  ASSERT_TRUE(walked.ok);
  EXPECT_EQ(walked.videoEntries, 10);
  EXPECT_LT(walked.reads, 1000);  // 800 KB in 4 KB blocks, not 100,000 header reads
}

TEST(AviWalkTest, BytesAfterTheRiffPartAreNotWalked) {
  const std::string clean = BuildAvi(InterleavedAvi(10, 5, 100, 50)).bytes;
  const std::string tail(32 << 20, '\0');  // a zero tail, as a failed download leaves
  const Walked bounded = Walk(clean + tail);
  ASSERT_TRUE(bounded.ok);
  EXPECT_EQ(bounded.videoEntries, 10);
  EXPECT_LT(bounded.reads, 50);
  // A RIFF size of 0 (a recording never finished) leaves the file's end as the limit: the tail
  // is walked, a block at a time.
  std::string unfinished = clean + tail;
  Put32(&unfinished, 4, 0);
  const Walked whole = Walk(unfinished);
  ASSERT_TRUE(whole.ok);
  EXPECT_EQ(whole.videoEntries, 10);
  EXPECT_LT(whole.reads, (32 << 20) / 4096 + 100);
}

// Repeated idx1 chunks: the last one wins, and each costs its own bytes, not a new pair of
// tables.
TEST(AviWalkTest, TheLastOfManyIndexChunksWins) {
  const BuiltAvi built = BuildAvi(InterleavedAvi(10, 5, 100, 50));
  const std::string index = built.bytes.substr(built.indexEntries - 8);  // the whole idx1
  std::string oneEntry = index.substr(0, 8 + 16);
  Put32(&oneEntry, 4, 16);
  std::string repeated;
  for (int i = 0; i < 40000; ++i) repeated += oneEntry;  // about 1 MB
  const Walked lastFull = Walk(WithChunksInside(built.bytes, repeated + index));
  ASSERT_TRUE(lastFull.ok);
  EXPECT_EQ(lastFull.videoEntries, 10);
  EXPECT_EQ(lastFull.audioEntries, 10);
  EXPECT_LT(lastFull.reads, 40000 + 1000);
  const Walked lastShort = Walk(WithChunksInside(built.bytes, index + repeated));
  ASSERT_TRUE(lastShort.ok);
  EXPECT_EQ(lastShort.videoEntries, 1);
  EXPECT_EQ(lastShort.audioEntries, 0);
}

// OpenDML: idx1 lists the first part only; the super indexes reach every part. A super index
// naming one standard index many times, or indexes that overlap, adds each entry once.
TEST(AviWalkTest, OpenDmlIndexesReachEveryPartOnce) {
  AviLayout layout = InterleavedAvi(300, 10, 64, 32);
  layout.openDmlPartChunks = 200;  // 100 frames a part, 3 parts
  const std::string bytes = BuildAvi(layout).bytes;
  const Walked walked = Walk(bytes);
  ASSERT_TRUE(walked.ok);
  EXPECT_EQ(walked.videoEntries, 300);
  EXPECT_EQ(walked.audioEntries, 300);

  // The video super index with its first entry copied over all others.
  const size_t indx = bytes.find("indx");
  ASSERT_NE(indx, std::string::npos);
  std::string doubled = bytes;
  for (int slot = 1; slot < 3; ++slot)
    doubled.replace(indx + 8 + 24 + slot * 16, 16, bytes.substr(indx + 8 + 24, 16));
  const Walked once = Walk(doubled);
  ASSERT_TRUE(once.ok);
  EXPECT_EQ(once.videoEntries, 100);  // idx1's 100 frames replaced by the first part's 100
}

}  // namespace
