// The general reader on libavformat: what it announces for each container, pictures and audio
// as the shipped codecs decode them against ffmpeg's own decode, seeks against ffmpeg's key
// frames, variable frame rates, large pictures, chapters and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "plugins/video_avcodec/theora_setup.h"
#include "tests/readers/reader_fixture.h"

namespace {

constexpr char kMediaReader[] = "MorvelantMediaReader.so";
constexpr int32_t kPacketBufferBytes = 128000;

TEST(MediaReader, ProbeInfoAnnouncesEachContainersStreams) {
  const struct {
    const char* file;
    const char* fourCC;
    int width, height, frames, audioTag, channels, rate;
  } cases[] = {
      {"h264_aac.mp4", "H264", 320, 240, 200, 5632, 1, 44100},
      {"hevc_opus.mkv", "HEVC", 320, 240, 100, 1, 1, 48000},
      {"vp9_vorbis.webm", "VP90", 320, 240, 100, 1, 1, 44100},
      {"theora_vorbis.ogg", "THEO", 320, 240, 75, 1, 1, 44100},
      {"mpeg2_mp2.mpg", "MPG2", 320, 240, 100, 80, 1, 44100},
      {"h264_ac3.ts", "H264", 320, 240, 100, 8192, 1, 44100},
      {"tone.flac", "", 0, 0, 0, 1, 2, 44100},
      {"tone.wav", "", 0, 0, 0, 1, 2, 44100},
      // Larger than 640 by 480: announced at the size that fits, the aspect ratio kept.
      {"full_hd.mp4", "H264", 640, 360, 50, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const ProbeRun run = Probe("info", ReaderMedia(c.file));
    ASSERT_EQ(run.status, 0) << c.file << "\n" << run.output;
    EXPECT_EQ(ProbeValue(run.output, "fourcc"), c.fourCC) << c.file;
    EXPECT_EQ(ProbeValue(run.output, "width"), std::to_string(c.width)) << c.file;
    EXPECT_EQ(ProbeValue(run.output, "height"), std::to_string(c.height)) << c.file;
    EXPECT_NEAR(std::atoi(ProbeValue(run.output, "frames").c_str()), c.frames, 1) << c.file;
    EXPECT_EQ(ProbeValue(run.output, "audio_tag"), std::to_string(c.audioTag)) << c.file;
    EXPECT_EQ(ProbeValue(run.output, "channels"), std::to_string(c.channels)) << c.file;
    EXPECT_EQ(ProbeValue(run.output, "sample_rate"), std::to_string(c.rate)) << c.file;
    if (c.frames > 0) {
      EXPECT_EQ(ProbeValue(run.output, "fps"), "25.000000") << c.file;
    }
  }
}

// The frames of a YUV4MPEG2 file, without their "FRAME" lines; the header's W and H.
struct Y4m {
  int width = 0, height = 0;
  std::vector<std::string> frames;
};

Y4m ReadY4m(const std::string& path) {
  Y4m y4m;
  const std::string bytes = ReadBytes(path);
  const size_t headerEnd = bytes.find('\n');
  if (headerEnd == std::string::npos) return y4m;
  std::istringstream header(bytes.substr(0, headerEnd));
  for (std::string field; header >> field;) {
    if (field[0] == 'W') y4m.width = std::atoi(field.c_str() + 1);
    if (field[0] == 'H') y4m.height = std::atoi(field.c_str() + 1);
  }
  const size_t frameBytes = size_t(y4m.width) * y4m.height * 3 / 2;
  for (size_t at = headerEnd + 1; at < bytes.size();) {
    const size_t data = bytes.find('\n', at) + 1;
    y4m.frames.push_back(bytes.substr(data, frameBytes));
    at = data + frameBytes;
  }
  return y4m;
}

Y4m FfmpegY4m(const std::string& file, const std::string& filters = "") {
  const std::string out = WriteTemporaryFile(file + ".ffmpeg.y4m", "");
  const std::string line = "ffmpeg -nostdin -v error -y -i '" + ReaderMedia(file) +
                           "' -map 0:v:0 -fps_mode passthrough -pix_fmt yuv420p " + filters +
                           " -f yuv4mpegpipe '" + out + "'";
  return std::system(line.c_str()) == 0 ? ReadY4m(out) : Y4m{};
}

double PsnrDb(const std::string& ours, const std::string& theirs) {
  double noise = 0;
  for (size_t i = 0; i < ours.size() && i < theirs.size(); ++i)
    noise +=
        double(uint8_t(ours[i]) - uint8_t(theirs[i])) * (uint8_t(ours[i]) - uint8_t(theirs[i]));
  if (noise == 0) return INFINITY;
  return 10 * std::log10(255.0 * 255.0 * double(ours.size()) / noise);
}

TEST(MediaReader, PicturesEqualFfmpegsFrameForFrame) {
  // The video plug-in hands out what each packet gives: a decoder that holds frames back for
  // reordering keeps the last few when the packets run out.
  constexpr size_t kHeldBack = 4;
  for (const char* file : {"h264_aac.mp4", "hevc_opus.mkv", "vp9_vorbis.webm", "mpeg2_mp2.mpg",
                           "h264_ac3.ts", "theora_vorbis.ogg"}) {
    const std::string out = WriteTemporaryFile(std::string(file) + ".probe.y4m", "");
    const ProbeRun run = Probe("video", ReaderMedia(file), out);
    ASSERT_EQ(run.status, 0) << file << "\n" << run.output;
    const Y4m ours = ReadY4m(out), theirs = FfmpegY4m(file);
    ASSERT_EQ(ours.width, theirs.width) << file;
    ASSERT_FALSE(theirs.frames.empty()) << file;
    EXPECT_GE(ours.frames.size() + kHeldBack, theirs.frames.size()) << file;
    EXPECT_LE(ours.frames.size(), theirs.frames.size()) << file;
    for (size_t i = 0; i < ours.frames.size() && i < theirs.frames.size(); ++i)
      ASSERT_TRUE(ours.frames[i] == theirs.frames[i]) << file << " frame " << i;
  }
}

// Theora's set-up packets ride in front of each key frame; the video plug-in splits them off
// only when all three are there whole.
TEST(MediaReader, TheoraSetupPacketsLeadEachKeyFrame) {
  LoadedReader reader(kMediaReader);
  ASSERT_TRUE(reader.Open(ReaderMedia("theora_vorbis.ogg")));
  std::vector<uint8_t> packet(kPacketBufferBytes);
  const int32_t keySize = reader.ops.ReadVideoFrame(packet.data(), 0);
  ASSERT_GT(keySize, 0);
  const size_t setup = TheoraSetupBytes(packet.data(), size_t(keySize));
  ASSERT_GT(setup, 0u);
  EXPECT_LT(setup, size_t(keySize)) << "a picture follows the set-up packets";
  for (size_t cut = 0; cut < setup; ++cut) ASSERT_EQ(TheoraSetupBytes(packet.data(), cut), 0u);
  std::vector<uint8_t> reordered(packet.begin(), packet.begin() + keySize);
  reordered[2] = 0x81;  // the identification packet's type byte no longer first
  EXPECT_EQ(TheoraSetupBytes(reordered.data(), reordered.size()), 0u);
  int32_t next = 0;
  while (next == 0) next = reader.ops.ReadVideoFrame(packet.data(), 0);
  ASSERT_GT(next, 0);
  EXPECT_EQ(TheoraSetupBytes(packet.data(), size_t(next)), 0u) << "not in front of other frames";
}

TEST(MediaReader, FullHdPicturesDecodeAtTheAnnouncedSize) {
  const std::string out = WriteTemporaryFile("full_hd.probe.y4m", "");
  const ProbeRun run = Probe("video", ReaderMedia("full_hd.mp4"), out);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output.find("error="), std::string::npos) << run.output;
  const Y4m ours = ReadY4m(out);
  EXPECT_EQ(ours.width, 640);
  EXPECT_EQ(ours.height, 360);
  const Y4m theirs = FfmpegY4m("full_hd.mp4", "-vf scale=640:360:flags=bilinear");
  ASSERT_EQ(theirs.width, 640);
  ASSERT_FALSE(ours.frames.empty());
  EXPECT_GE(ours.frames.size() + 4, theirs.frames.size());
  for (size_t i = 0; i < ours.frames.size() && i < theirs.frames.size(); ++i)
    EXPECT_GT(PsnrDb(ours.frames[i], theirs.frames[i]), 30) << "frame " << i;
  // The largest picture comes from the reader parameter, width << 16 | height.
  LoadedReader reader(kMediaReader);
  ASSERT_TRUE(reader.Open(ReaderMedia("full_hd.mp4"), READER_MODE_LOCAL, 1024 << 16 | 512));
  EXPECT_EQ(reader.descriptor->Width, 910);
  EXPECT_EQ(reader.descriptor->Height, 512);
}

TEST(MediaReader, ProbeAudioEqualsFfmpegsDecode) {
  // Decoded in the reader: sample for sample. AAC goes as ADTS to the AAC codec, which never
  // sees the priming frame ffmpeg decodes and drops, so its first frame lacks the overlap; the
  // AC-3 codec keeps the last frame in its parser when the stream ends.
  // MPEG layer II goes to libmpg123, which rounds differently.
  const struct {
    const char* file;
    double minSnrDb;  // infinite: sample for sample
    size_t fromSample;
  } cases[] = {
      {"h264_aac.mp4", 60, 1024},       {"hevc_opus.mkv", INFINITY, 0},
      {"vp9_vorbis.webm", INFINITY, 0}, {"theora_vorbis.ogg", INFINITY, 0},
      {"tone.flac", INFINITY, 0},       {"tone.wav", INFINITY, 0},
      {"mpeg2_mp2.mpg", 70, 0},         {"h264_ac3.ts", INFINITY, 0},
  };
  for (const auto& c : cases) {
    const std::string wave = WriteTemporaryFile(std::string(c.file) + ".wav", "");
    const ProbeRun run = Probe("audio", ReaderMedia(c.file), wave);
    ASSERT_EQ(run.status, 0) << c.file << "\n" << run.output;
    std::vector<int16_t> ours = WaveSamples(wave), theirs = FfmpegSamples(ReaderMedia(c.file));
    ASSERT_GT(theirs.size(), c.fromSample) << c.file;
    EXPECT_NEAR(double(ours.size()), double(theirs.size()), 2048) << c.file;
    ours.erase(ours.begin(), ours.begin() + long(std::min(c.fromSample, ours.size())));
    theirs.erase(theirs.begin(), theirs.begin() + long(c.fromSample));
    const double snr = SnrDb(ours, theirs);
    EXPECT_GE(snr, c.minSnrDb) << c.file;
    RecordProperty(std::string(c.file) + "_snr_db", std::to_string(snr));
  }
}

// Presentation times of the video packets ffprobe lists, in file order; key frames only when
// `keysOnly`.
std::vector<double> PacketTimes(const std::string& path, bool keysOnly) {
  std::vector<double> times;
  const std::string line =
      "ffprobe -v error -select_streams v:0 -show_entries "
      "packet=pts_time,flags -of csv=p=0 '" +
      path + "'";
  std::FILE* pipe = popen(line.c_str(), "r");
  char row[256];
  while (pipe && std::fgets(row, sizeof row, pipe))
    if (!keysOnly || std::string(row).find(",K") != std::string::npos)
      times.push_back(std::atof(row));
  if (pipe) pclose(pipe);
  return times;
}

TEST(MediaReader, SeeksLandOnTheKeyFrameFfmpegSeeksTo) {
  for (const char* file : {"h264_aac.mp4", "hevc_opus.mkv", "vp9_vorbis.webm", "h264_ac3.ts"}) {
    std::vector<double> keys = PacketTimes(ReaderMedia(file), true);
    ASSERT_GT(keys.size(), 2u) << file;
    std::sort(keys.begin(), keys.end());
    const double interval = keys[1] - keys[0];
    // Key frame times from the first, as the reader counts its frames.
    for (double& key : keys) key -= keys.front();
    LoadedReader reader(kMediaReader);
    ASSERT_TRUE(reader.Open(ReaderMedia(file))) << file;
    const MediaDescriptor& d = *reader.descriptor;
    const double duration = d.FrameCount / d.FramesPerSecond;
    std::vector<uint8_t> packet(kPacketBufferBytes);
    for (const int percent : {25, 50, 75}) {
      const int32_t span = reader.ops.Seek(percent, SEEK_BY_PERCENT);
      EXPECT_GT(span, 0);
      const double target = duration * percent / 100;
      // ffmpeg -ss starts decoding at the last key frame at or before the target.
      const double ffmpegKey = *(std::upper_bound(keys.begin(), keys.end(), target + 1e-6) - 1);
      const double landed = d.CurrentFrame / d.FramesPerSecond;
      EXPECT_NEAR(landed, ffmpegKey, interval) << file << " " << percent << "%";
      EXPECT_LE(landed, target + 1 / d.FramesPerSecond) << file << " " << percent << "%";
      EXPECT_NEAR(reader.ops.GetProgress(), d.CurrentFrame * 100.0 / d.FrameCount, 1e-9);
      int32_t size = 0;
      while (size == 0) size = reader.ops.ReadVideoFrame(packet.data(), 0);
      ASSERT_GT(size, 0) << file;
      EXPECT_TRUE(reader.ops.IsKeyFrame(d.CurrentFrame - 1)) << file << " " << percent << "%";
    }
  }
}

TEST(MediaReader, VariableFrameRatePacketsComeInTheirTimeSlots) {
  LoadedReader reader(kMediaReader);
  ASSERT_TRUE(reader.Open(ReaderMedia("vfr.mkv")));
  const MediaDescriptor& d = *reader.descriptor;
  EXPECT_EQ(d.FramesPerSecond, 25);
  EXPECT_NEAR(d.FrameCount, 150, 1);  // six seconds
  std::vector<uint8_t> packet(kPacketBufferBytes);
  std::vector<int32_t> slots;
  while (d.CurrentFrame < d.FrameCount) {
    const int32_t size = reader.ops.ReadVideoFrame(packet.data(), 0);
    if (size < 0) break;
    if (size > 0) slots.push_back(d.CurrentFrame - 1);
  }
  // Each packet in the slot of its time, or, when two share a time, in the next free slot.
  const std::vector<double> times = PacketTimes(ReaderMedia("vfr.mkv"), false);
  ASSERT_EQ(slots.size(), 100u);
  ASSERT_EQ(times.size(), slots.size());
  for (size_t frame = 0, free = 0; frame < slots.size(); ++frame) {
    const int32_t due = std::max(int32_t(std::lround(times[frame] * 25)), int32_t(free));
    ASSERT_EQ(slots[frame], due) << "frame " << frame;
    free = size_t(due) + 1;
  }
  EXPECT_EQ(slots[50] - slots[48], 4) << "the slow half: one frame in two slots";
  EXPECT_EQ(slots[99] - slots[97], 2) << "the fast half: one frame a slot";
}

TEST(MediaReader, ChaptersCarryTheirNamesAndSeek) {
  LoadedReader reader(kMediaReader);
  ASSERT_TRUE(reader.Open(ReaderMedia("chapters.mkv")));
  const MediaDescriptor& d = *reader.descriptor;
  ASSERT_EQ(d.ChapterCount, 2);
  EXPECT_EQ(std::u16string(d.ChapterNames[0]), u"Opening");
  EXPECT_EQ(std::u16string(d.ChapterNames[1]), u"Second movement");
  reader.ops.SeekChapter(1);
  EXPECT_EQ(d.CurrentFrame, 50);
  reader.ops.SeekChapter(150);  // beyond the last: the last
  EXPECT_EQ(d.CurrentFrame, 50);
  reader.ops.SeekChapter(0);
  EXPECT_EQ(d.CurrentFrame, 0);
}

// Reads everything the reader gives, as the two playback threads would, with a seek between.
void ReadEverything(LoadedReader* reader) {
  std::vector<uint8_t> buffer(kPacketBufferBytes);
  const MediaDescriptor& d = *reader->descriptor;
  for (int pass = 0; pass < 2; ++pass) {
    while (d.FrameCount > 0 && d.CurrentFrame < d.FrameCount &&
           reader->ops.ReadVideoFrame(buffer.data(), 0) >= 0) {
    }
    while (d.AudioLength > 0 && reader->ops.ReadAudio(buffer.data(), 4096) > 0) {
    }
    reader->ops.Seek(50, SEEK_BY_PERCENT);
  }
}

TEST(MediaReader, DamagedFilesOpenWhatIsThereOrFailCleanly) {
  const std::string mp4 = ReadBytes(ReaderMedia("h264_aac.mp4"));
  const std::string mkv = ReadBytes(ReaderMedia("hevc_opus.mkv"));
  std::string scrambled = mp4;
  for (size_t at = scrambled.size() / 3; at < scrambled.size(); at += 997) scrambled[at] ^= 0x5A;
  std::string lyingBox = mp4;
  lyingBox.replace(lyingBox.find("moov") - 4, 4, "\x7F\xFF\xFF\xF0", 4);
  const struct {
    const char* name;
    std::string bytes;
    bool opens;
  } cases[] = {
      {"mp4 cut in half.mp4", mp4.substr(0, mp4.size() / 2), true},
      {"mkv cut in half.mkv", mkv.substr(0, mkv.size() / 2), true},
      {"mp4 with scrambled packets.mp4", scrambled, true},
      {"mp4 whose movie box claims 2 GB.mp4", lyingBox, true},
      {"garbage.mp4", std::string(50000, '\x47'), false},
      {"empty.mkv", "", false},
  };
  for (const auto& c : cases) {
    LoadedReader reader(kMediaReader);
    EXPECT_EQ(reader.Open(WriteTemporaryFile(c.name, c.bytes)), c.opens) << c.name;
    if (reader.descriptor && c.opens) ReadEverything(&reader);
  }
  // Refused at once: opening a FIFO would wait for a writer forever.
  for (const std::string& special : SpecialFilesNamed("film.mp4")) {
    LoadedReader reader(kMediaReader);
    EXPECT_FALSE(reader.Open(special)) << special;
  }
}

}  // namespace
