// Whole items played in-process through the real reader, codec plug-ins, threads and blitters.
#include <fstream>
#include <iterator>

#include "core/player_state.h"
#include "playback/engine_state.h"
#include "playback/open_item.h"
#include "playback/transport.h"
#include "playback_fixture.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

const char kXvidMp3[] =
    "-f lavfi -i testsrc=size=176x144:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 "
    "-t 2 -c:v mpeg4 -vtag XVID -q:v 5 -c:a libmp3lame -b:a 128k";
const char kDivx3Pcm[] =
    "-f lavfi -i testsrc=size=176x144:rate=25 -f lavfi -i sine=frequency=440:sample_rate=22050 "
    "-t 2 -c:v msmpeg4 -vtag DIV3 -c:a pcm_s16le -ac 1";

// A mono µ-law AVI without video, its format record claiming no sample rate (a damaged file).
std::string MuLawWithoutRate() {
  const std::string made = MakePlaybackMedia(
      "mulaw_only.avi", "-f lavfi -i sine=frequency=440:sample_rate=8000 -t 1 -c:a pcm_mulaw");
  std::string file = Read(made);
  const size_t record = file.find("strf");
  if (made.empty() || record == std::string::npos) return "";
  file.replace(record + 8 + 4, 4, 4, '\0');  // the record's samples per second
  const std::string path = made + ".no_rate.avi";
  std::ofstream(path, std::ios::binary) << file;
  return path;
}

}  // namespace

TEST_F(PlaybackTest, XvidWithMp3PlaysToItsEnd) {
  const std::string clip = MakePlaybackMedia("xvid_mp3.avi", kXvidMp3);
  ASSERT_FALSE(clip.empty());
  StartBackend("wav:" + wavPath);
  Open(clip, true);
  ASSERT_NE(videoThreadId, 0u);
  ASSERT_TRUE(WaitForEnd());
  const std::string text = JournalText();
  const auto opened = JournalEvents(text, "item-opened");
  ASSERT_EQ(opened.size(), 1u);
  const int64_t frames = JournalNumber(opened[0], "frames");
  EXPECT_GE(frames, 50);
  const auto ended = JournalEvents(text, "item-ended");
  ASSERT_EQ(ended.size(), 1u) << text;
  EXPECT_EQ(JournalNumber(ended[0], "reached_end"), 1);
  EXPECT_EQ(JournalNumber(ended[0], "played"), frames);
  EXPECT_EQ(JournalNumber(ended[0], "total"), frames);
  // Two seconds of mono 16-bit sound at 44.1 kHz, give or take the encoder's last frame.
  EXPECT_NEAR(JournalNumber(ended[0], "audio_bytes"), 2 * 44100 * 2, 2 * 1152 * 2);
  EXPECT_FALSE(JournalEvents(text, "frame").empty());
}

TEST_F(PlaybackTest, PcmAudioIsWrittenUnchanged) {
  const std::string clip = MakePlaybackMedia("divx3_pcm.avi", kDivx3Pcm);
  ASSERT_FALSE(clip.empty());
  const std::string raw = clip + ".raw";
  ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -i '" + clip +
                         "' -map 0:a -c copy -f s16le '" + raw + "'")
                            .c_str()),
            0);
  StartBackend("wav:" + wavPath);
  Open(clip, true);
  ASSERT_TRUE(WaitForEnd());
  TearDown();
  backendOpen = false;
  window = nullptr;
  const std::string wav = Read(wavPath), expected = Read(raw);
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(wav.size() - 44, expected.size());
  EXPECT_TRUE(wav.substr(44) == expected) << "the played PCM differs from the file's";
}

// Sound the decoder never understands leaves an audio-only item nothing to play. It says so once
// and the item waits for the user: ending it would reopen it paused, where it would end again,
// over and over. (The decoder used to report such a stream with a rate of 0, which aborted the
// player in the resampler.)
TEST_F(PlaybackTest, UndecodableSoundOnlyItemSaysSoOnceAndWaits) {
  const std::string clip = MuLawWithoutRate();
  ASSERT_FALSE(clip.empty());
  StartBackend("null");
  reopenOnEnd = true;
  Open(clip, true);
  ASSERT_NE(videoThreadId, 0u);
  Pump(1500);
  EXPECT_NE(videoThreadId, 0u);
  const std::string text = JournalText();
  EXPECT_EQ(JournalEvents(text, "item-opened").size(), 1u) << text;
  const auto boxes = JournalEvents(text, "messagebox");
  ASSERT_EQ(boxes.size(), 1u) << text;
  EXPECT_NE(boxes[0].find("The codec cannot decode audio format 7"), std::string::npos);
  reopenOnEnd = false;
  StopPlayback();
  Pump(100);
  const auto ended = JournalEvents(JournalText(), "item-ended");
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_EQ(JournalNumber(ended[0], "reached_end"), 0);
}
