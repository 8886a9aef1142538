#include <algorithm>
// The MPEG audio reader: the file's bytes under the layer's wave tag, seeks that land on frame
// boundaries at the right time (through the Xing or VBRI table of a VBR file), progress, and
// damaged files; the probe's decode through the shipped MPEG audio codec against ffmpeg's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "plugins/audio_mpg123/mpeg_audio_header.h"
#include "plugins/reader_mpeg/mpeg_seek_map.h"
#include "tests/readers/reader_fixture.h"

namespace {

constexpr char kMpegReader[] = "MorvelantMpegReader.so";
// ffmpeg's duration of vbr.mp3: ten seconds of tone, ten of noise.
constexpr double kVbrSeconds = 20.036;

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz, mono: a 417-byte frame with 17 bytes of side info.
constexpr uint8_t kMonoHeader[4] = {0xFF, 0xFB, 0x90, 0xC4};
constexpr size_t kMonoFrameBytes = 417;

std::vector<uint8_t> FrameWith(size_t at, const std::vector<uint8_t>& table) {
  std::vector<uint8_t> frame(kMonoFrameBytes);
  std::memcpy(frame.data(), kMonoHeader, 4);
  std::copy(table.begin(), table.end(), frame.begin() + at);
  return frame;
}

// "Xing", flags bytes + TOC, 256000 stream bytes; the TOC puts half the time at 50/256 of
// the bytes and spreads the rest over the other half.
std::vector<uint8_t> XingFrame(bool rising) {
  std::vector<uint8_t> table = {'X', 'i', 'n', 'g', 0, 0, 0, 6, 0, 3, 0xE8, 0};
  for (int percent = 0; percent < 100; ++percent)
    table.push_back(uint8_t(percent < 50 ? percent : 50 + (percent - 50) * 4));
  if (!rising) table[12 + 60] = 10;  // one entry goes back
  return FrameWith(4 + 17, table);
}

// The rising table with its 0% entry moved off the first frame.
std::vector<uint8_t> XingStartingLate() {
  std::vector<uint8_t> frame = XingFrame(true);
  frame[4 + 17 + 12] = 1;
  return frame;
}

// "VBRI": 40 frames in 4 runs of 10, runs of 100, 100, 300 and 500 bytes.
std::vector<uint8_t> VbriFrame() {
  return FrameWith(36, {'V', 'B', 'R', 'I', 0, 1, 0, 0, 0,  0, 0,   0, 3,   0xE8, 0,  0, 0,
                        40,  0,   4,   0,   1, 0, 2, 0, 10, 0, 100, 0, 100, 1,    44, 1, 244});
}

TEST(MpegSeekMap, FollowsTheTableOfTheFirstFrame) {
  constexpr int64_t kFirst = 1000;
  const struct {
    const char* name;
    std::vector<uint8_t> frame;
    int64_t fileSize, offsetAtHalf;
  } cases[] = {
      {"Xing table", XingFrame(true), 300000, kFirst + 50000},
      {"VBRI table", VbriFrame(), 300000, kFirst + 200},
      {"no table: constant bit rate", FrameWith(0, {}), 201000, kFirst + 100000},
      {"a Xing table that goes back is not trusted", XingFrame(false), 201000, kFirst + 100000},
      {"a Xing table whose 0% is past the first frame is not trusted", XingStartingLate(), 201000,
       kFirst + 100000},
  };
  for (const auto& c : cases) {
    MpegFrameHeader header;
    ASSERT_TRUE(ParseMpegFrameHeader(c.frame.data(), &header));
    const SeekMap map = BuildSeekMap(c.frame.data(), c.frame.size(), header, kFirst, c.fileSize);
    EXPECT_EQ(OffsetAtTime(map, 0), kFirst) << c.name;
    EXPECT_EQ(OffsetAtTime(map, 0.5), c.offsetAtHalf) << c.name;
    EXPECT_NEAR(TimeAtOffset(map, c.offsetAtHalf), 0.5, 1e-9) << c.name;
    EXPECT_NEAR(TimeAtOffset(map, c.fileSize), 1.0, 1e-9) << c.name;
  }
}

// The seconds of audio before `offset`, counted by walking the frames from the first one;
// -1 when `offset` is not a frame boundary.
double SecondsBefore(const std::string& bytes, size_t offset) {
  size_t at = 0;
  while (at + kId3HeaderBytes <= bytes.size() &&
         Id3v2TagBytes(reinterpret_cast<const uint8_t*>(&bytes[at])))
    at += Id3v2TagBytes(reinterpret_cast<const uint8_t*>(&bytes[at]));
  int64_t samples = 0;
  MpegFrameHeader header;
  while (at < offset &&
         ParseMpegFrameHeader(reinterpret_cast<const uint8_t*>(&bytes[at]), &header)) {
    at += size_t(header.frameBytes);
    samples += header.samplesPerFrame;
  }
  return at == offset ? double(samples) / header.sampleRate : -1;
}

TEST(MpegReader, VbrSeeksLandOnFrameBoundariesAtTheAskedTime) {
  const std::string path = ReaderMedia("vbr.mp3"), bytes = ReadBytes(path);
  LoadedReader reader(kMpegReader);
  ASSERT_TRUE(reader.Open(path));
  for (const int percent : {25, 50, 75}) {
    const int32_t span = reader.ops.Seek(percent, SEEK_BY_PERCENT);
    const size_t landed = bytes.size() - size_t(span);
    const double seconds = SecondsBefore(bytes, landed);
    ASSERT_GE(seconds, 0) << percent << "%: byte " << landed << " is not a frame boundary";
    // One frame is 26 ms; the table's 1/256 steps of the stream add a few more.
    EXPECT_NEAR(seconds, kVbrSeconds * percent / 100, 0.1) << percent << "%";
    EXPECT_NEAR(reader.ops.GetProgress(), percent, 0.5) << percent << "%";
    uint8_t first[4] = {};
    ASSERT_EQ(reader.ops.ReadAudio(first, 4), 4);
    EXPECT_EQ(first[0], 0xFF);
  }
  EXPECT_EQ(reader.ops.Seek(0, SEEK_BY_PERCENT), int32_t(bytes.size()));
  EXPECT_EQ(reader.ops.GetProgress(), 0);
}

TEST(MpegReader, DescribesAnAudioOnlyItemOfTheFilesBytes) {
  const struct {
    const char* file;
    int32_t tag, channels, rate;
  } cases[] = {{"cbr.mp3", 85, 1, 44100}, {"vbr.mp3", 85, 1, 44100}, {"layer2.mp2", 80, 1, 44100}};
  for (const auto& c : cases) {
    const std::string path = ReaderMedia(c.file), bytes = ReadBytes(path);
    LoadedReader reader(kMpegReader);
    ASSERT_TRUE(reader.Open(path)) << c.file;
    const MediaDescriptor& d = *reader.descriptor;
    EXPECT_EQ(d.FrameCount, 0) << c.file;
    EXPECT_EQ(d.AudioFormatTag, c.tag) << c.file;
    EXPECT_EQ(d.Channels, c.channels) << c.file;
    EXPECT_EQ(d.SampleRate, c.rate) << c.file;
    EXPECT_EQ(d.AudioLength, int32_t(bytes.size())) << c.file;
    std::string read;
    uint8_t chunk[4096];
    for (int32_t got; (got = reader.ops.ReadAudio(chunk, sizeof chunk)) > 0;)
      read.append(reinterpret_cast<char*>(chunk), size_t(got));
    EXPECT_TRUE(read == bytes) << c.file << ": the audio bytes are the file";
    EXPECT_NEAR(reader.ops.GetProgress(), 100, 1e-9) << c.file;
  }
}

TEST(MpegReader, DamagedFilesOpenWhatIsThereOrFailCleanly) {
  const std::string whole = ReadBytes(ReaderMedia("cbr.mp3"));
  const size_t tagBytes = Id3v2TagBytes(reinterpret_cast<const uint8_t*>(whole.data()));
  const std::string lyingTag = std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10) + "x";
  const struct {
    const char* name;
    std::string bytes;
    bool opens;
  } cases[] = {
      {"cut in the middle of a frame", whole.substr(0, whole.size() / 2 + 7), true},
      {"cut right after the tag and one header", whole.substr(0, tagBytes + 4), false},
      {"garbage", std::string(70000, '\x5A'), false},
      {"a tag whose size runs past the end", lyingTag, false},
      {"empty", "", false},
  };
  for (const auto& c : cases) {
    LoadedReader reader(kMpegReader);
    const std::string path = WriteTemporaryFile("damaged.mp3", c.bytes);
    EXPECT_EQ(reader.Open(path), c.opens) << c.name;
    if (!c.opens) continue;
    for (const int percent : {50, 99}) EXPECT_GT(reader.ops.Seek(percent, SEEK_BY_PERCENT), 0);
    uint8_t chunk[4096];
    int64_t total = 0;
    for (int32_t got; (got = reader.ops.ReadAudio(chunk, sizeof chunk)) > 0;) total += got;
    EXPECT_LT(total, int64_t(c.bytes.size())) << c.name;
  }
  LoadedReader reader(kMpegReader);
  EXPECT_FALSE(reader.Open(ReaderMedia("missing.mp3")));
  // Refused at once: opening a FIFO would wait for a writer forever.
  for (const std::string& special : SpecialFilesNamed("song.mp3"))
    EXPECT_FALSE(reader.Open(special)) << special;
  EXPECT_EQ(reader.ops.ReadAudio(nullptr, 4096), 0) << "reading after a failed open is harmless";
}

TEST(MpegReader, ProbeDecodesAsFfmpegDoesAndReadsTheTags) {
  const struct {
    const char* file;
    const char* title;
    double minSnrDb;  // libmpg123 and ffmpeg round differently
  } cases[] = {{"cbr.mp3", "Morning", 90}, {"vbr.mp3", "Morning", 90}, {"layer2.mp2", "", 70}};
  for (const auto& c : cases) {
    const std::string wave = WriteTemporaryFile(std::string(c.file) + ".wav", "");
    const ProbeRun run = Probe("audio", ReaderMedia(c.file), wave);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ProbeValue(run.output, "title"), c.title) << c.file;
    EXPECT_EQ(ProbeValue(run.output, "artist"), *c.title ? "Quartet" : "") << c.file;
    EXPECT_EQ(ProbeValue(run.output, "album"), *c.title ? "Seasons" : "") << c.file;
    const std::vector<int16_t> ours = WaveSamples(wave);
    const std::vector<int16_t> theirs = FfmpegSamples(ReaderMedia(c.file));
    ASSERT_FALSE(theirs.empty());
    EXPECT_EQ(ours.size(), theirs.size()) << c.file;
    const double snr = SnrDb(ours, theirs);
    EXPECT_GE(snr, c.minSnrDb) << c.file;
    RecordProperty(std::string(c.file) + "_snr_db", std::to_string(snr));
  }
}

}  // namespace
