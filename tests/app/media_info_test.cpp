// The Media Info texts and the Jump To arithmetic, from descriptors and decoder reports.
#include "app/media_info.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

MediaDescriptor Video(int32_t frames, double fps, int32_t currentFrame = 0) {
  MediaDescriptor item{};
  item.Width = 320;
  item.Height = 240;
  item.FramesPerSecond = fps;
  std::memcpy(item.FourCC, "XVID", 4);
  item.FrameCount = frames;
  item.CurrentFrame = currentFrame;
  item.AudioFormatTag = 85;
  item.Channels = 2;
  item.SampleRate = 44100;
  item.AudioLength = 1600000;
  return item;
}

MediaDescriptor Audio(int32_t length) {
  MediaDescriptor item{};
  item.AudioFormatTag = 85;
  item.Channels = 1;
  item.SampleRate = 22050;
  item.AudioLength = length;
  return item;
}

TEST(MediaInfo, VideoTextWithEveryFact) {
  const MediaDescriptor item = Video(2500, 25);
  EXPECT_EQ(MediaInfoText(&item, u"/Video/clip.avi", {.bitrate = -128000}),
            u"File Name: /Video/clip.avi\r\nResolution: 320 X 240\r\nFrames: 2500\r\n"
            u"FPS: 25.00\r\nAudio Bitrate: 128Kbps\r\nAudio Rate: 44Khz\r\nChannels: 2\r\n"
            u"Running Time: 01:40\r\nFourCC: XVID\r\nAudio Format: 85");
}

TEST(MediaInfo, AudioTextWithTagsAndWithoutABitRate) {
  const MediaDescriptor item = Audio(4000000);
  EXPECT_EQ(MediaInfoText(&item, u"/Music/song.mp3",
                          {.bitrate = 0, .title = u"Song", .artist = u"Band", .album = u"LP"}),
            u"File Name: /Music/song.mp3\r\nTitle: Song\r\nArtist: Band\r\nAlbum: LP\r\n"
            u"Audio Bitrate: 0Kbps\r\nAudio Rate: 22Khz\r\nChannels: 1\r\n"
            u"Running Time: 00:00\r\nAudio Format: 85");
  EXPECT_EQ(MediaInfoText(nullptr, u"", {}), u"No file loaded");
}

TEST(MediaInfo, RunningTimes) {
  struct Case {
    MediaDescriptor item;
    int32_t bitrate;
    int32_t seconds;
  };
  const Case cases[] = {
      {Video(2500, 25), 0, 100},      {Video(93125, 25), 0, 3725},  // shown as 1:02:05
      {Video(100, 0), 0, 0},          // a frame rate of 0 has no running time
      {Audio(1600000), 128000, 100},  // 16000 bytes a second
      {Audio(1600000), -128000, 100}, {Audio(1600000), 0, 0},
      {Audio(1600000), 7, 0},  // less than a byte a second
      {Audio(0), 128000, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(RunningSeconds(c.item, c.bitrate), c.seconds);
}

TEST(JumpTo, VideoSeeksToTheAnswersFrameAndACancelDoesNothing) {
  const MediaDescriptor item = Video(3000, 25, 250);  // 120 seconds, now at 10 s
  EXPECT_EQ(JumpStartSeconds(item, 0, 0), 10);
  const JumpSeek seek = JumpToSeek(item, 0, 60);
  EXPECT_TRUE(seek.seek);
  EXPECT_TRUE(seek.byFrame);
  EXPECT_EQ(seek.target, 1500);
  EXPECT_FALSE(JumpToSeek(item, 0, -1).seek);
}

TEST(JumpTo, AudioSeeksByPercentageOfItsRunningTime) {
  const MediaDescriptor item = Audio(1000000);  // 62 s at 16000 bytes a second
  EXPECT_EQ(JumpStartSeconds(item, 128000, 50.0), 31);
  const JumpSeek seek = JumpToSeek(item, 128000, 31);
  EXPECT_TRUE(seek.seek);
  EXPECT_FALSE(seek.byFrame);
  EXPECT_EQ(seek.target, 50);
  EXPECT_FALSE(JumpToSeek(item, 0, 31).seek);  // no bit rate: no running time
  EXPECT_EQ(JumpStartSeconds(item, 0, 50.0), 0);
}

}  // namespace
