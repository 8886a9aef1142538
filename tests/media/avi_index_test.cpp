#include "media/avi_index.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

RawIndexEntry Entry(const char* id) {
  RawIndexEntry entry{};
  std::memcpy(entry.id, id, 4);
  return entry;
}

TEST(AviIndexTest, OnlyChunksOfTheChosenStreamsCount) {
  const IndexRules rules{.videoStream = 0, .audioStream = 1};
  const struct {
    const char* id;
    IndexEntryKind kind;
  } cases[] = {
      {"00dc", IndexEntryKind::Video},   {"00db", IndexEntryKind::Video},
      {"01wb", IndexEntryKind::Audio},   {"00pc", IndexEntryKind::Ignored},
      {"ix00", IndexEntryKind::Ignored}, {"07dc", IndexEntryKind::Ignored},  // no stream 7
      {"02wb", IndexEntryKind::Ignored},  // a second audio stream
      {"01dc", IndexEntryKind::Ignored}, {"00wb", IndexEntryKind::Ignored},
      {"rec ", IndexEntryKind::Ignored},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyIndexEntry(Entry(c.id), rules), c.kind) << c.id;
}

TEST(AviIndexTest, TablesGrowByOneHundredThousandEntries) {
  AviIndex index;
  ASSERT_TRUE(AllocateIndex(&index));
  EXPECT_EQ(index.video.capacity, kIndexGrowthEntries);
  for (int32_t i = 0; i < kIndexGrowthEntries; ++i)
    ASSERT_TRUE(AppendIndexEntry(&index.video, {uint32_t(i), 1, 0}));
  EXPECT_EQ(index.video.capacity * sizeof(VideoIndexEntry), 1200000u);
  ASSERT_TRUE(AppendIndexEntry(&index.video, {7, 8, 1}));  // the 100,001st
  EXPECT_EQ(index.video.capacity * sizeof(VideoIndexEntry), 2400000u);
  EXPECT_EQ(index.video.entries[kIndexGrowthEntries].DataOffset, 7u);
  EXPECT_EQ(index.video.entries[99999].DataOffset, 99999u);
  FinishIndex(&index, INT32_MAX);
  EXPECT_EQ(index.video.capacity, 100001);
  EXPECT_EQ(index.audio.entries, nullptr);  // an empty table is released
  ReleaseIndex(&index);
}

TEST(AviIndexTest, FinishDropsDataOutsideTheFileAndNumbersTheAudio) {
  AviIndex index;
  ASSERT_TRUE(AllocateIndex(&index));
  AppendIndexEntry(&index.video, {100, 50, 1});
  AppendIndexEntry(&index.video, {990, 20, 0});   // ends past 1000
  AppendIndexEntry(&index.video, {200, 800, 0});  // ends exactly at 1000
  AppendIndexEntry(&index.audio, {300, 10, 0});
  AppendIndexEntry(&index.audio, {5000, 10, 0});  // outside
  AppendIndexEntry(&index.audio, {400, 30, 0});
  EXPECT_EQ(FinishIndex(&index, 1000), 40);
  ASSERT_EQ(index.video.count, 2);
  EXPECT_EQ(index.video.entries[1].DataOffset, 200u);
  ASSERT_EQ(index.audio.count, 2);
  EXPECT_EQ(index.audio.entries[1].DataOffset, 400u);
  EXPECT_EQ(index.audio.entries[1].BytesBefore, 10u);
  ReleaseIndex(&index);
}

TEST(AviIndexTest, AudioTotalStopsShortOfOverflow) {
  AviIndex index;
  ASSERT_TRUE(AllocateIndex(&index));
  // The same 768 MiB named three times: the third would carry the total past 2 GiB.
  constexpr uint32_t kChunk = 0x30000000;
  for (int i = 0; i < 3; ++i) AppendIndexEntry(&index.audio, {0, kChunk, 0});
  AppendIndexEntry(&index.audio, {0, 5, 0});
  EXPECT_EQ(FinishIndex(&index, INT32_MAX), int64_t{kChunk} * 2 + 5);
  ASSERT_EQ(index.audio.count, 3);
  EXPECT_EQ(index.audio.entries[2].BytesBefore, kChunk * 2);
  ReleaseIndex(&index);
}

TEST(AviIndexTest, AudioLookupFindsTheChunkAndEntersSmallChunksAtTheirStart) {
  AviIndex index;
  ASSERT_TRUE(AllocateIndex(&index));
  for (uint32_t size : {1500u, 900u, 1500u, 1500u}) AppendIndexEntry(&index.audio, {1000, size, 0});
  FinishIndex(&index, INT32_MAX);  // bytes before: 0, 1500, 2400, 3900
  const struct {
    int64_t position;
    int32_t entry, consumed;
  } cases[] = {
      {0, 0, 0},       {1499, 0, 1499}, {1500, 1, 0},    {2000, 1, 0},  // inside the 900 bytes
      {2400, 2, 0},    {2500, 2, 100},  {5399, 3, 1499}, {-20, 0, 0},
      {9000, 3, 1500},  // beyond the end: the last chunk, used up
  };
  for (const auto& c : cases) {
    const AudioCursor cursor = LocateAudio(index.audio, c.position);
    EXPECT_EQ(cursor.entry, c.entry) << c.position;
    EXPECT_EQ(cursor.consumed, c.consumed) << c.position;
  }
  ReleaseIndex(&index);
}

}  // namespace
