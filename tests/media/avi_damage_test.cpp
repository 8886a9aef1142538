// Files real writers produce that the plain reading of the container gets wrong, and damaged
// files: each opens and plays what can be played, or fails to open, never reading out of bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "tests/media/test_files.h"
#include "tests/support/avi_writer.h"

namespace {

void Put32(std::string* bytes, size_t at, uint32_t value) {
  std::memcpy(bytes->data() + at, &value, 4);
}

struct Opened {
  OpenedAvi avi;
  ReadBack back;
};

Opened OpenAndRead(const std::string& bytes) {
  Opened opened{.avi = OpenAvi(WriteTempFile("damage.avi", bytes))};
  if (opened.avi.result) opened.back = ReadEverything(opened.avi);
  opened.avi.ops.Close();
  return opened;
}

// The same movie written with index offsets from "movi" and from the start of the file reads
// back the same.
TEST(AviMendTest, IndexOffsetsFromTheFileStartAreRecognised) {
  AviLayout layout = InterleavedAvi(40, 10, 300, 200);
  layout.junkBeforeMovi = 5000;
  const Opened fromMovi = OpenAndRead(BuildAvi(layout).bytes);
  layout.offsets = IndexOffsets::FromFileStart;
  const Opened fromStart = OpenAndRead(BuildAvi(layout).bytes);
  ASSERT_EQ(fromStart.avi.result, 1);
  EXPECT_EQ(fromStart.avi.descriptor->FrameCount, 40);
  EXPECT_EQ(fromStart.back.video, fromMovi.back.video);
  EXPECT_EQ(fromStart.back.audio, fromMovi.back.audio);
  EXPECT_EQ(fromStart.back.video.substr(0, 300), ChunkPayload(0, 300));
}

TEST(AviMendTest, OnlyTheChosenStreamsEnterTheTables) {
  AviLayout layout = InterleavedAvi(10, 1, 50, 100);
  layout.streams.push_back(AudioStream(1, 70 * 10));
  layout.streams.push_back(VideoStream("DIV3", 10));
  for (int i = 0; i < 10; ++i) {
    layout.chunks.push_back({.id = "02wb", .size = 70});
    layout.chunks.push_back({.id = "03dc", .size = 60, .key = true});
  }
  layout.extraIndexEntries = {{.id = "07dc", .flags = 0x10, .offset = 4, .length = 8}};
  const Opened opened = OpenAndRead(BuildAvi(layout).bytes);
  ASSERT_EQ(opened.avi.result, 1);
  EXPECT_EQ(opened.avi.descriptor->AudioLength, 1000);
  EXPECT_EQ(opened.avi.descriptor->FrameCount, 10);
  EXPECT_EQ(opened.back.packetSizes, std::vector<int32_t>(10, 50));
  EXPECT_EQ(opened.back.audio.substr(0, 100), ChunkPayload(1, 100));
  EXPECT_EQ(opened.back.audio.size(), 1000u);
}

TEST(AviMendTest, AShortLastIndexBlockKeepsItsWholeEntries) {
  AviLayout layout = InterleavedAvi(2500, 50, 4, 0);
  BuiltAvi built = BuildAvi(layout);
  built.bytes.resize(built.indexEntries + 2345 * 16 + 7);
  const Opened opened = OpenAndRead(built.bytes);
  ASSERT_EQ(opened.avi.result, 1);
  // Playback ends at the last indexed frame.
  EXPECT_EQ(opened.avi.descriptor->FrameCount, 2345);
  EXPECT_EQ(opened.back.packetSizes.size(), 2345u);
}

TEST(AviMendTest, EntriesOutsideTheFileAreSkipped) {
  AviLayout layout = InterleavedAvi(6, 1, 40, 30);
  layout.extraIndexEntries = {{.id = "00dc", .flags = 0x10, .offset = 0x7ffffff0, .length = 10},
                              {.id = "01wb", .offset = 0xfffffff0, .length = 10},
                              {.id = "01wb", .offset = 4, .length = 0xffffff00}};
  layout.streams[0].length = 7;
  const Opened opened = OpenAndRead(BuildAvi(layout).bytes);
  ASSERT_EQ(opened.avi.result, 1);
  EXPECT_EQ(opened.avi.descriptor->FrameCount, 6);
  EXPECT_EQ(opened.avi.descriptor->AudioLength, 180);
  EXPECT_EQ(opened.back.packetSizes.size(), 6u);
  EXPECT_EQ(opened.back.audio.size(), 180u);
}

TEST(AviMendTest, AVideoStreamWithoutFrameRateIsSwitchedOffAndTheAudioPlays) {
  for (const auto& [rate, scale] : {std::pair{25u, 0u}, std::pair{0u, 1u}}) {
    AviLayout layout = InterleavedAvi(30, 5, 100, 200);
    layout.streams[0].rate = rate;
    layout.streams[0].scale = scale;
    const Opened opened = OpenAndRead(BuildAvi(layout).bytes);
    ASSERT_EQ(opened.avi.result, 1);
    EXPECT_EQ(opened.avi.descriptor->FrameCount, 0);
    EXPECT_EQ(opened.avi.descriptor->Height, 0);
    EXPECT_EQ(opened.avi.descriptor->FourCC[0], 0);
    EXPECT_EQ(opened.avi.descriptor->KeyFrameThreshold, 0);
    EXPECT_EQ(opened.back.audio.size(), 6000u);
  }
}

TEST(AviMendTest, UnindexedFramesEndPlaybackEarly) {
  AviLayout layout = InterleavedAvi(20, 5, 10, 10);
  for (int i = 30; i < 40; ++i) layout.chunks[i].indexed = false;  // frames 15 to 19
  const Opened partly = OpenAndRead(BuildAvi(layout).bytes);
  ASSERT_EQ(partly.avi.result, 1);
  EXPECT_EQ(partly.avi.descriptor->FrameCount, 15);
  EXPECT_EQ(partly.back.packetSizes.size(), 15u);
  layout.writeIndex = false;
  const Opened unindexed = OpenAndRead(BuildAvi(layout).bytes);
  ASSERT_EQ(unindexed.avi.result, 1);
  EXPECT_EQ(unindexed.avi.descriptor->FrameCount, 0);
  EXPECT_EQ(unindexed.avi.descriptor->AudioLength, 0);
}

TEST(AviDamageTest, FilesThatAreNotAviFailToOpen) {
  const BuiltAvi built = BuildAvi(InterleavedAvi(4, 1, 10, 10));
  std::string notAvi = built.bytes;
  notAvi[11] = 'X';
  std::string cutList = built.bytes.substr(0, 12 + 8 + 2);  // a list type cut short
  std::string hugeHeaderList = built.bytes;
  Put32(&hugeHeaderList, 16, 0x7ffffff0);
  for (const std::string& bytes :
       {std::string(), built.bytes.substr(0, 11), notAvi, cutList, hugeHeaderList})
    EXPECT_EQ(OpenAndRead(bytes).avi.result, 0);
  EXPECT_EQ(OpenAvi("/nonexistent/file.avi").result, 0);
}

TEST(AviDamageTest, SizesThatLie) {
  AviLayout layout = InterleavedAvi(12, 3, 50, 40);
  const BuiltAvi built = BuildAvi(layout);
  const size_t movi = built.moviPosition, index = built.indexEntries;
  const struct {
    const char* what;
    size_t at;
    uint32_t value;
  } cases[] = {
      {"movi list size", movi - 8, 0xfffffff0},
      {"movi list size 0", movi - 8, 0},
      {"idx1 size", index - 4, 0xfffffff0},
      {"idx1 size odd", index - 4, 0x11},
      {"riff size", 4, 0},
      {"strh size", 12 + 12 + 64 + 12 + 4, 2},
      {"strh size huge", 12 + 12 + 64 + 12 + 4, 0xffffff00},
      {"chunk length", index + 12, 0xfffffff0},
      {"chunk offset", index + 8, 0xfffffff0},
      {"first chunk size", movi + 4, 0xfffffff0},
  };
  for (const auto& c : cases) {
    std::string bytes = built.bytes;
    Put32(&bytes, c.at, c.value);
    const Opened opened = OpenAndRead(bytes);
    if (opened.avi.result) {
      EXPECT_LE(opened.back.packetSizes.size(), 12u) << c.what;
    }
  }
}

TEST(AviDamageTest, TruncatedAnywhere) {
  const std::string bytes = BuildAvi(InterleavedAvi(8, 2, 30, 20)).bytes;
  for (size_t length = 0; length < bytes.size(); length += 3) {
    const Opened opened = OpenAndRead(bytes.substr(0, length));
    if (opened.avi.result) {
      EXPECT_LE(opened.back.packetSizes.size(), 8u) << length;
    }
  }
}

TEST(AviDamageTest, ScrambledBytes) {
  const std::string clean = BuildAvi(InterleavedAvi(8, 2, 30, 20)).bytes;
  std::mt19937 random(2024);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = clean;
    for (int flip = 0; flip < 6; ++flip)
      bytes[random() % bytes.size()] = static_cast<char>(random());
    OpenAndRead(bytes);
  }
}

}  // namespace
