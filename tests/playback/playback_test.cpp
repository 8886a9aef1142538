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
