#include "app/media_info.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/shared_word.h"
#include "platform/text.h"
#include "skin/skin.h"

namespace {

int32_t AudioBytesPerSecond(int32_t bitrate) {
  return std::abs(bitrate) / 8;
}

bool HasVideo(const MediaDescriptor& item) {
  return item.FrameCount != 0;
}

// Audio running time, or 0 when the length or the rate is unknown.
int32_t AudioSeconds(const MediaDescriptor& item, int32_t bitrate) {
  const int32_t bytesPerSecond = AudioBytesPerSecond(bitrate);
  if (item.AudioLength == 0 || bytesPerSecond == 0) return 0;
  return item.AudioLength / bytesPerSecond;
}

std::u16string Number(int64_t value) {
  return Utf8ToWide(std::to_string(value));
}

std::u16string VideoText(const MediaDescriptor& item, std::u16string_view path,
                         const AudioTags& audio) {
  char fps[32];
  std::snprintf(fps, sizeof fps, "%.2f", item.FramesPerSecond);
  const std::string fourCC(item.FourCC, strnlen(item.FourCC, sizeof item.FourCC));
  return u"File Name: " + std::u16string(path) + u"\r\nResolution: " + Number(item.Width) + u" X " +
         Number(item.Height) + u"\r\nFrames: " + Number(item.FrameCount) + u"\r\nFPS: " +
         Utf8ToWide(fps) + u"\r\nAudio Bitrate: " + Number(std::abs(audio.bitrate) / 1000) +
         u"Kbps\r\nAudio Rate: " + Number(LoadSharedWord(item.SampleRate) / 1000) +
         u"Khz\r\nChannels: " + Number(LoadSharedWord(item.Channels)) + u"\r\nRunning Time: " +
         FormatTime(RunningSeconds(item, audio.bitrate)) + u"\r\nFourCC: " + AnsiToWide(fourCC) +
         u"\r\nAudio Format: " + Number(item.AudioFormatTag);
}

std::u16string AudioText(const MediaDescriptor& item, std::u16string_view path,
                         const AudioTags& audio) {
  return u"File Name: " + std::u16string(path) + u"\r\nTitle: " + std::u16string(audio.title) +
         u"\r\nArtist: " + std::u16string(audio.artist) + u"\r\nAlbum: " +
         std::u16string(audio.album) + u"\r\nAudio Bitrate: " +
         Number(std::abs(audio.bitrate) / 1000) + u"Kbps\r\nAudio Rate: " +
         Number(LoadSharedWord(item.SampleRate) / 1000) + u"Khz\r\nChannels: " +
         Number(LoadSharedWord(item.Channels)) + u"\r\nRunning Time: " +
         FormatTime(RunningSeconds(item, audio.bitrate)) + u"\r\nAudio Format: " +
         Number(item.AudioFormatTag);
}

}  // namespace

int32_t RunningSeconds(const MediaDescriptor& item, int32_t bitrate) {
  if (HasVideo(item)) {
    if (item.FramesPerSecond <= 0) return 0;
    return static_cast<int32_t>(item.FrameCount / item.FramesPerSecond);
  }
  return AudioSeconds(item, bitrate);
}

std::u16string MediaInfoText(const MediaDescriptor* item, std::u16string_view path,
                             const AudioTags& audio) {
  if (!item) return u"No file loaded";
  return HasVideo(*item) ? VideoText(*item, path, audio) : AudioText(*item, path, audio);
}

int32_t JumpStartSeconds(const MediaDescriptor& item, int32_t bitrate, double position) {
  if (HasVideo(item)) {
    if (item.FramesPerSecond <= 0) return 0;
    return static_cast<int32_t>(LoadSharedWord(item.CurrentFrame) / item.FramesPerSecond);
  }
  const int32_t bytesPerSecond = AudioBytesPerSecond(bitrate);
  if (item.AudioLength == 0 || bytesPerSecond == 0) return 0;
  return static_cast<int32_t>(item.AudioLength * position * 0.01) / bytesPerSecond;
}

JumpSeek JumpToSeek(const MediaDescriptor& item, int32_t bitrate, int32_t answer) {
  if (answer < 0) return {};
  if (HasVideo(item))
    return {.seek = true,
            .target = static_cast<int32_t>(answer * item.FramesPerSecond),
            .byFrame = true};
  const int32_t running = AudioSeconds(item, bitrate);
  if (running == 0) return {};
  return {.seek = true, .target = answer * 100 / running, .byFrame = false};
}
