#include "media/avi_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <tuple>

#include "media/reader_state.h"
#include "tests/media/test_files.h"
#include "tests/support/avi_writer.h"

namespace {

struct AviReaderTest : ::testing::Test {
  OpenedAvi avi;
  BuiltAvi built;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(kPacketBufferBytes);

  void Open(const AviLayout& layout, int32_t mode = READER_MODE_LOCAL) {
    built = BuildAvi(layout);
    avi = OpenAvi(WriteTempFile("reader.avi", built.bytes), mode);
    ASSERT_EQ(avi.result, 1);
    ASSERT_NE(avi.descriptor, nullptr);
  }
  void TearDown() override {
    if (avi.ops.Close) avi.ops.Close();
  }
  const MediaDescriptor& D() const { return *avi.descriptor; }
  std::string Audio(int32_t length) {
    const int32_t got = avi.ops.ReadAudio(buffer.data(), length);
    return std::string(reinterpret_cast<const char*>(buffer.data()), got > 0 ? got : 0);
  }
};

bool Mapped(const std::string& file) {
  std::ifstream maps("/proc/self/maps");
  const std::string all((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
  return all.find("/" + file) != std::string::npos;
}

// A declared picture larger than any codec takes switches the video off (nothing is allocated
// from it); the audio still plays.
TEST_F(AviReaderTest, AbsurdPictureSizesSwitchTheVideoOff) {
  const struct {
    uint32_t width, height;
    int32_t frames;
  } cases[] = {{16000, 16000, 0}, {4097, 120, 0},   {0x80000000u, 120, 0},
               {4096, 2305, 0},   {4096, 2304, 25}, {160, 120, 25}};
  for (const auto& c : cases) {
    AviLayout layout = InterleavedAvi(25, 5, 500, 400);
    layout.streams[0].width = int32_t(c.width);
    layout.streams[0].height = int32_t(c.height);
    Open(layout);
    EXPECT_EQ(D().FrameCount, c.frames) << c.width << "x" << c.height;
    if (c.frames == 0) {
      EXPECT_EQ(D().Width, 0);
    }
    EXPECT_EQ(D().AudioLength, 25 * 400);
    avi.ops.Close();
  }
}

// A file written in OpenDML parts, as muxers write files over 1 GB: idx1 lists the first part,
// the OpenDML index the rest. Every frame plays, with its key flag, and all the audio.
TEST_F(AviReaderTest, OpenDmlFilesPlayWhole) {
  AviLayout layout = InterleavedAvi(300, 25, 700, 300);
  layout.openDmlPartChunks = 200;
  Open(layout);
  EXPECT_EQ(D().FrameCount, 300);
  EXPECT_EQ(D().AudioLength, 300 * 300);
  for (int32_t frame : {0, 25, 150, 275}) EXPECT_EQ(avi.ops.IsKeyFrame(frame), 1) << frame;
  for (int32_t frame : {1, 149, 299}) EXPECT_EQ(avi.ops.IsKeyFrame(frame), 0) << frame;
  const ReadBack back = ReadEverything(avi);
  ASSERT_EQ(back.packetSizes.size(), 300u);
  std::string video, audio;
  for (size_t chunk = 0; chunk < layout.chunks.size(); ++chunk)
    (chunk % 2 ? audio : video) += ChunkPayload(chunk, layout.chunks[chunk].size);
  EXPECT_TRUE(back.video == video);
  EXPECT_TRUE(back.audio == audio);
  EXPECT_EQ(avi.ops.Seek(75, SEEK_BY_PERCENT), 300 * 300 - 225 * 300);  // frame 225, a key frame
  EXPECT_EQ(D().CurrentFrame, 225);
}

TEST_F(AviReaderTest, OpenDescribesTheFile) {
  AviLayout layout = InterleavedAvi(250, 25, 1000, 400);
  layout.streams[0].width = 320;
  layout.streams[0].height = 240;
  Open(layout);
  EXPECT_EQ(D().FrameCount, 250);
  EXPECT_DOUBLE_EQ(D().FramesPerSecond, 25.0);
  EXPECT_STREQ(D().FourCC, "XVID");
  EXPECT_EQ(D().Width, 320);
  EXPECT_EQ(D().Height, 240);
  EXPECT_EQ(D().AudioFormatTag, 0x55);
  EXPECT_EQ(D().AudioLength, 250 * 400);  // the indexed audio bytes
  EXPECT_EQ(D().CurrentFrame, 0);
  // 10 s; (file - 40,000) / 10 bytes per second, four times a frame's share
  const int64_t perSecond = (int64_t(built.bytes.size()) - 40000) / 10;
  EXPECT_EQ(D().KeyFrameThreshold, int32_t(perSecond * 0.04 * 4.0));
}

TEST_F(AviReaderTest, PacketsAndAudioComeBackAsWritten) {
  AviLayout layout = InterleavedAvi(30, 10, 0, 0);
  layout.streams.push_back(AudioStream(1, 0));
  layout.chunks.clear();
  for (int i = 0; i < 30; ++i) {
    layout.chunks.push_back({.id = "00dc", .size = uint32_t(100 + i * 37), .key = i % 10 == 0});
    layout.chunks.push_back({.id = "01wb", .size = uint32_t(333 + i)});  // odd sizes are padded
  }
  Open(layout);
  const ReadBack back = ReadEverything(avi);
  std::string video, audio;
  ASSERT_EQ(back.packetSizes.size(), 30u);
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ(back.packetSizes[i], 100 + i * 37);
    video += ChunkPayload(2 * i, 100 + i * 37);
    audio += ChunkPayload(2 * i + 1, 333 + i);
  }
  EXPECT_EQ(back.video, video);
  EXPECT_EQ(back.audio, audio);
  EXPECT_LT(avi.ops.ReadVideoFrame(buffer.data(), 0), 0);  // the end
  EXPECT_EQ(avi.ops.GetProgress(), 100.0);
}

TEST_F(AviReaderTest, LateReadsDropAFrameOnlyBeforeAKeyFrame) {
  Open(InterleavedAvi(10, 5, 64, 0));
  ASSERT_EQ(avi.ops.Seek(3, SEEK_BY_FRAME), 1);  // no audio: span 1; lands on key frame 0
  EXPECT_EQ(D().CurrentFrame, 0);
  for (int frame = 0; frame < 4; ++frame)  // the frame after each is no key frame
    EXPECT_EQ(avi.ops.ReadVideoFrame(buffer.data(), frame % 2 + 1), 64);
  EXPECT_EQ(avi.ops.ReadVideoFrame(buffer.data(), 1), 0);  // frame 4 dropped: 5 is a key frame
  EXPECT_EQ(D().CurrentFrame, 5);
  ASSERT_EQ(avi.ops.Seek(4, SEEK_BY_FRAME), 1);
  for (int frame = 0; frame < 5; ++frame)  // skip 0 always reads
    EXPECT_EQ(avi.ops.ReadVideoFrame(buffer.data(), 0), 64);
  EXPECT_EQ(avi.ops.IsKeyFrame(5), 1);
  EXPECT_EQ(avi.ops.IsKeyFrame(6), 0);
  EXPECT_EQ(avi.ops.IsKeyFrame(10), 0);  // beyond the index
}

TEST_F(AviReaderTest, AudioReadsCrossChunks) {
  AviLayout layout = InterleavedAvi(3, 1, 10, 1500);
  Open(layout);
  std::string all;
  for (int i = 0; i < 3; ++i) all += ChunkPayload(2 * i + 1, 1500);
  EXPECT_EQ(Audio(4096), all.substr(0, 4096));
  EXPECT_EQ(Audio(4096), all.substr(4096));  // the cursor was 1096 bytes into the third chunk
  EXPECT_EQ(avi.ops.ReadAudio(buffer.data(), 4096), 0);
  EXPECT_EQ(avi.ops.ReadAudio(buffer.data(), 0), 0);
}

TEST_F(AviReaderTest, SeeksLandOnKeyFramesAndMoveTheAudio) {
  Open(InterleavedAvi(1000, 250, 16, 2000));
  const int32_t audioLength = 1000 * 2000;
  EXPECT_EQ(avi.ops.Seek(50, SEEK_BY_PERCENT), audioLength - 1000000);
  EXPECT_EQ(D().CurrentFrame, 500);
  EXPECT_EQ(Audio(8), ChunkPayload(2 * 500 + 1, 8));
  EXPECT_EQ(avi.ops.Seek(499, SEEK_BY_FRAME), audioLength - 500000);
  EXPECT_EQ(D().CurrentFrame, 250);
  EXPECT_EQ(avi.ops.Seek(100, SEEK_BY_PERCENT), audioLength - 1500000);  // last key frame 750
  EXPECT_EQ(D().CurrentFrame, 750);
  EXPECT_EQ(avi.ops.Seek(5000, SEEK_BY_FRAME), audioLength - 1500000);
  EXPECT_EQ(avi.ops.Seek(-3, SEEK_BY_FRAME), audioLength);
  EXPECT_EQ(D().CurrentFrame, 0);
  EXPECT_DOUBLE_EQ(avi.ops.GetProgress(), 0.0);
  // Resync follows the video frame.
  ASSERT_EQ(avi.ops.Seek(600, SEEK_BY_FRAME), audioLength - 1000000);
  for (int i = 0; i < 100; ++i) avi.ops.ReadVideoFrame(buffer.data(), 0);
  EXPECT_DOUBLE_EQ(avi.ops.GetProgress(), 60.0);
  EXPECT_EQ(avi.ops.ResyncAudio(), audioLength - 1200000);
  EXPECT_EQ(Audio(4), ChunkPayload(2 * 600 + 1, 4));
}

TEST_F(AviReaderTest, AudioRestartsInsideLargeChunksOnAFourByteBoundary) {
  // 2 frames, 1001 audio bytes each: frame 1 starts at byte 1001 -> 1004, 3 bytes into chunk 1.
  Open(InterleavedAvi(2, 1, 8, 1001));
  EXPECT_EQ(avi.ops.Seek(1, SEEK_BY_FRAME), 2002 - 1004);
  EXPECT_EQ(Audio(4), ChunkPayload(3, 7).substr(3));
}

TEST_F(AviReaderTest, BlockCodedAudioRestartsAtABlock) {
  // 4 frames, 3000 audio bytes each, in 1024-byte IMA ADPCM blocks: frame 1 starts at byte 3000,
  // inside the third block, so the audio restarts at the fourth (3072); PCM keeps its 4 bytes.
  for (const auto& [tag, blockAlign, restart] :
       {std::tuple{0x11, 1024, 3072}, {0x02, 1024, 3072}, {0x01, 4, 3000}, {0x55, 1, 3000}}) {
    AviLayout layout = InterleavedAvi(4, 1, 8, 3000);
    layout.streams[1].formatTag = uint16_t(tag);
    layout.streams[1].blockAlign = uint16_t(blockAlign);
    Open(layout);
    EXPECT_EQ(avi.ops.Seek(1, SEEK_BY_FRAME), 12000 - restart) << tag;
  }
}

TEST_F(AviReaderTest, AudioRestartsAtTheStartOfSmallChunks) {
  AviLayout layout = InterleavedAvi(2, 1, 8, 0);
  layout.streams.push_back(AudioStream(0x55, 1400));
  layout.chunks.insert(layout.chunks.begin() + 1, {.id = "01wb", .size = 500});
  layout.chunks.push_back({.id = "01wb", .size = 900});
  Open(layout);
  // Frame 1 matches audio byte 700, inside the 900-byte chunk: it restarts at that chunk.
  EXPECT_EQ(avi.ops.Seek(1, SEEK_BY_FRAME), 1400 - 700);
  EXPECT_EQ(Audio(900), ChunkPayload(3, 900));
}

TEST_F(AviReaderTest, SeekWithoutAudioLeavesTheLockFree) {
  Open(InterleavedAvi(20, 5, 32, 0));
  EXPECT_EQ(avi.ops.Seek(50, SEEK_BY_PERCENT), 1);
  EXPECT_EQ(D().CurrentFrame, 10);
  auto read =
      std::async(std::launch::async, [&] { return avi.ops.ReadVideoFrame(buffer.data(), 0); });
  ASSERT_EQ(read.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(read.get(), 32);
}

// The video and audio threads share the input's one position: each seek-then-read must stay
// whole. Many small audio reads give the thread sanitizer many interleavings to watch.
TEST_F(AviReaderTest, VideoAndAudioThreadsReadTogether) {
  constexpr int kFrames = 3000;
  for (const int32_t mode : {READER_MODE_LOCAL, READER_MODE_CACHED}) {
    Open(InterleavedAvi(kFrames, 25, 700, 333), mode);
    std::string audio, expectedAudio;
    for (int frame = 0; frame < kFrames; ++frame) expectedAudio += ChunkPayload(2 * frame + 1, 333);
    std::thread audioThread([&] {
      std::vector<uint8_t> piece(4096);
      for (int32_t request = 1;; request = request * 7 % 61 + 1) {
        const int32_t got = avi.ops.ReadAudio(piece.data(), request);
        if (got == 0) break;
        audio.append(reinterpret_cast<const char*>(piece.data()), got);
      }
    });
    std::string video, expectedVideo;
    for (int frame = 0; frame < kFrames; ++frame) {
      const int32_t size = avi.ops.ReadVideoFrame(buffer.data(), 0);
      video.append(reinterpret_cast<const char*>(buffer.data()), size > 0 ? size : 0);
      expectedVideo += ChunkPayload(2 * frame, 700);
    }
    audioThread.join();
    EXPECT_TRUE(video == expectedVideo);
    EXPECT_TRUE(audio == expectedAudio);
    avi.ops.Close();
  }
}

// The record of the first audio stream's format, kept from Open to the next Open or Close: an
// item without audio, or a closed reader, has none left over from an earlier item.
TEST_F(AviReaderTest, KeepsTheFirstAudioStreamsFormatRecord) {
  AviLayout layout = InterleavedAvi(4, 1, 8, 8);
  layout.streams[1].formatTag = 0x11;
  layout.streams[1].channels = 1;
  layout.streams[1].sampleRate = 22050;
  AviStreamSpec second = AudioStream(0x02, 0);
  layout.streams.push_back(second);
  Open(layout);
  const size_t strf = built.bytes.find("strf", built.bytes.find("auds"));
  ASSERT_NE(strf, std::string::npos);
  const std::string expected = built.bytes.substr(strf + 8, 18);
  ASSERT_EQ(expected.substr(0, 4), std::string("\x11\x00\x01\x00", 4));
  const std::span<const uint8_t> record = AviAudioFormatRecord();
  EXPECT_EQ(std::string(record.begin(), record.end()), expected);

  Open(InterleavedAvi(4, 1, 8, 0));
  EXPECT_TRUE(AviAudioFormatRecord().empty());
  Open(InterleavedAvi(4, 1, 8, 8));
  EXPECT_EQ(AviAudioFormatRecord().size(), 18u);
  avi.ops.Close();
  EXPECT_TRUE(AviAudioFormatRecord().empty());
}

TEST_F(AviReaderTest, CloseTwiceIsHarmless) {
  Open(InterleavedAvi(2, 1, 8, 8));
  EXPECT_EQ(avi.ops.Close(), 1);
  EXPECT_EQ(avi.ops.Close(), 1);
  EXPECT_FALSE(Mapped("Tarnic.so"));
  EXPECT_LT(avi.ops.ReadVideoFrame(buffer.data(), 0), 0);
  EXPECT_EQ(avi.ops.ReadAudio(buffer.data(), 10), 0);
}

TEST_F(AviReaderTest, ModeChoosesTheInputLibrary) {
  for (const auto& [mode, library, other] :
       {std::tuple{READER_MODE_LOCAL, "Tarnic.so", "TarnicCache.so"},
        std::tuple{READER_MODE_CACHED, "TarnicCache.so", "Tarnic.so"}}) {
    Open(InterleavedAvi(30, 10, 500, 300), mode);
    EXPECT_TRUE(Mapped(library));
    EXPECT_FALSE(Mapped(other));
    const ReadBack back = ReadEverything(avi);
    EXPECT_EQ(back.packetSizes.size(), 30u);
    EXPECT_EQ(back.audio.size(), 9000u);
    avi.ops.Close();
  }
}

TEST_F(AviReaderTest, IndexBlocksOfAThousandEntries) {
  for (int32_t frames : {1, 999, 1000, 1001, 2000, 2345}) {
    Open(InterleavedAvi(frames, 100, 4, 0));
    EXPECT_EQ(D().FrameCount, frames);
    ASSERT_EQ(avi.ops.Seek(frames - 1, SEEK_BY_FRAME), 1);
    EXPECT_EQ(D().CurrentFrame, (frames - 1) / 100 * 100);
    avi.ops.Close();
  }
}

TEST_F(AviReaderTest, OversizedPacketsAreDroppedNeverCopied) {
  AviLayout layout;
  layout.streams = {VideoStream("XVID", 3)};
  layout.chunks = {{.id = "00dc", .size = uint32_t(kPacketBufferBytes), .key = true},
                   {.id = "00dc", .size = uint32_t(kPacketBufferBytes) + 1, .key = true},
                   {.id = "00dc", .size = 7, .key = true}};
  Open(layout);
  EXPECT_EQ(avi.ops.ReadVideoFrame(buffer.data(), 0), kPacketBufferBytes);
  EXPECT_EQ(avi.ops.ReadVideoFrame(buffer.data(), 0), 0);
  EXPECT_EQ(D().CurrentFrame, 2);
  EXPECT_EQ(avi.ops.ReadVideoFrame(buffer.data(), 0), 7);
}

TEST_F(AviReaderTest, AnAudioOnlyFileCountsProgressInBytesAndSeeksByPercent) {
  Open(InterleavedAvi(10, 1, 100, 400));  // first a video item, to leave facts behind
  AviLayout layout;
  layout.streams = {AudioStream(0x55, 4000)};
  for (int i = 0; i < 10; ++i) layout.chunks.push_back({.id = "00wb", .size = 400});
  Open(layout);
  EXPECT_EQ(D().FrameCount, 0);
  EXPECT_EQ(D().Width, 0);
  EXPECT_EQ(D().FourCC[0], 0);
  EXPECT_EQ(D().AudioLength, 4000);
  EXPECT_EQ(avi.ops.Seek(50, SEEK_BY_PERCENT), 2000);
  EXPECT_DOUBLE_EQ(avi.ops.GetProgress(), 50.0);
  EXPECT_EQ(avi.ops.ResyncAudio(), 2000);
  EXPECT_EQ(Audio(400), ChunkPayload(5, 400));
  EXPECT_DOUBLE_EQ(avi.ops.GetProgress(), 60.0);
  EXPECT_LT(avi.ops.ReadVideoFrame(buffer.data(), 0), 0);
}

}  // namespace
