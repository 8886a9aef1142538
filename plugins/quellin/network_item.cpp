#include "plugins/quellin/network_item.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

#include "platform/text.h"
#include "plugins/audio_mpg123/mpeg_audio_header.h"
#include "plugins/quellin/http_download.h"
#include "plugins/quellin/id3_title.h"

namespace {

constexpr int32_t kMpegAudioTag = 85, kAdtsTag = 0x1600;
constexpr size_t kSniffBytes = 4096;  // what the audio thread reads for the stream header
constexpr int kOpenSeconds = 10;
constexpr size_t kMaxMetadataBlock = 255 * 16 + 1;
constexpr int kAdtsRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                              22050, 16000, 12000, 11025, 8000,  7350};

// The reader's entry points run on the audio and main threads; the download has its own lock.
std::mutex readerLock;
HttpDownload* download = nullptr;
MediaDescriptor descriptor;
bool mpegStream = false;
struct TitleMark {
  int64_t offset;  // stream byte the title comes with
  std::string title;
};
std::string receivedTitle;    // guarded by the download's lock, like marks
std::deque<TitleMark> marks;  // titles received, not yet reached by ReadAudio
std::string shownTitle;       // the title at the read position
int32_t titleChanges = 0;
int64_t handedOut = 0;
int64_t prefixBytes = 0;  // the tag put in front of the stream

void Report(const std::string& message) {
  std::fprintf(stderr, "quellin: %s\n", message.c_str());
}

// Channels and rate from the first MPEG frame (past any ID3 tags) or ADTS header.
bool DescribeStream(const std::string& bytes, const std::string& contentType) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t at = 0;
  while (at + kId3HeaderBytes <= bytes.size() && Id3v2TagBytes(data + at) > 0)
    at += Id3v2TagBytes(data + at);
  const bool aacType = contentType.find("aac") != std::string::npos;
  for (; at + kMpegHeaderBytes <= bytes.size(); ++at) {
    MpegFrameHeader header;
    if (!aacType && ParseMpegFrameHeader(data + at, &header)) {
      mpegStream = true;
      descriptor.AudioFormatTag = kMpegAudioTag;
      descriptor.Channels = header.channels;
      descriptor.SampleRate = header.sampleRate;
      return true;
    }
    const bool adts = data[at] == 0xFF && (data[at + 1] & 0xF6) == 0xF0 && at + 4 <= bytes.size();
    const int rateIndex = (data[at + 2] >> 2) & 15;
    if (adts && rateIndex < int(std::size(kAdtsRates))) {
      descriptor.AudioFormatTag = kAdtsTag;
      descriptor.Channels = (data[at + 2] & 1) << 2 | data[at + 3] >> 6;
      descriptor.SampleRate = kAdtsRates[rateIndex];
      return true;
    }
  }
  return false;
}

// Called by the download with its lock held.
void OnTitle(const std::string& title) {
  if (title.empty() || title == receivedTitle) return;
  receivedTitle = title;
  const int64_t offset = download->erased + int64_t(download->buffer.size()) - prefixBytes;
  marks.push_back({.offset = offset, .title = title});
}

// Called with the download's lock held, after ReadAudio moved on.
void PassTitles() {
  while (!marks.empty() && marks.front().offset + prefixBytes <= handedOut) {
    shownTitle = marks.front().title;
    ++titleChanges;
    marks.pop_front();
  }
}

void StopAndForget() {
  if (!download) return;
  StopDownload(download);
  delete download;
  download = nullptr;
}

// Waits for the response and, on a radio stream, for its first title, then describes it.
bool StartItem(const std::string& url) {
  download = new HttpDownload;
  mpegStream = false;
  StartDownload(download, url, OnTitle);
  std::unique_lock<std::mutex> hold(download->lock);
  WaitForBytes(download, hold, kSniffBytes, kOpenSeconds);
  if (download->icy.interval > 0)
    WaitForBytes(download, hold, download->icy.interval + kMaxMetadataBlock, kOpenSeconds);
  if (download->buffer.empty()) {
    Report(download->status >= 400 ? "the server answered " + std::to_string(download->status)
                                   : "no answer from " + url);
    return false;
  }
  if (!DescribeStream(download->buffer, download->contentType)) {
    Report("not an MP3 or AAC stream: " + download->contentType);
    return false;
  }
  // The first title goes in front; the stream started without a tag of its own.
  if (mpegStream && !marks.empty()) {
    const std::string tag = Id3TitleTag(marks.front().title);
    download->buffer.insert(0, tag);
    prefixBytes = int64_t(tag.size());
  }
  const int64_t length =
      download->contentLength > 0 ? download->contentLength : AUDIO_LENGTH_UNKNOWN;
  descriptor.AudioLength = int32_t(std::min<int64_t>(length, INT32_MAX));
  return true;
}

}  // namespace

int32_t NetworkOpen(const char16_t* path, MediaDescriptor** out) {
  std::lock_guard<std::mutex> hold(readerLock);
  StopAndForget();
  descriptor = MediaDescriptor{};
  receivedTitle.clear();
  shownTitle.clear();
  marks.clear();
  titleChanges = 0;
  handedOut = prefixBytes = 0;
  *out = &descriptor;
  if (path && StartItem(WideToUtf8(WideView(path)))) return 1;
  StopAndForget();
  descriptor = MediaDescriptor{};
  return 0;
}

// Fills the whole request unless the stream ends or stalls.
int32_t NetworkReadAudio(uint8_t* destination, int32_t length) {
  std::lock_guard<std::mutex> hold(readerLock);
  if (!download || length <= 0) return 0;
  std::unique_lock<std::mutex> held(download->lock);
  size_t copied = 0;
  while (copied < size_t(length)) {
    if (download->buffer.size() == download->readAt) {
      WaitForBytes(download, held, 1, 2 * kStallSeconds + 1);
      if (download->buffer.size() == download->readAt) {
        if (!download->finished)
          Report("the server stopped sending");
        else if (!download->error.empty())
          Report(download->error);
        break;
      }
    }
    const size_t count =
        std::min(size_t(length) - copied, download->buffer.size() - download->readAt);
    std::copy_n(download->buffer.data() + download->readAt, count, destination + copied);
    download->readAt += count;
    copied += count;
  }
  download->changed.notify_all();
  handedOut += int64_t(copied);
  PassTitles();
  return int32_t(copied);
}

// Network items cannot be repositioned: the stream goes on where it is.
int32_t NetworkRemainingSpan() {
  std::lock_guard<std::mutex> hold(readerLock);
  return int32_t(std::clamp<int64_t>(descriptor.AudioLength - handedOut, 1, INT32_MAX));
}

double NetworkProgress() {
  std::lock_guard<std::mutex> hold(readerLock);
  if (!download || descriptor.AudioLength == AUDIO_LENGTH_UNKNOWN || descriptor.AudioLength <= 0)
    return 0;
  return std::min(100.0, handedOut * 100.0 / descriptor.AudioLength);
}

int32_t NetworkClose() {
  std::lock_guard<std::mutex> hold(readerLock);
  StopAndForget();
  descriptor = MediaDescriptor{};
  return 1;
}

int32_t NetworkStreamTitle(char16_t* title, int32_t capacity) {
  std::lock_guard<std::mutex> hold(readerLock);
  if (!download) return 0;
  std::lock_guard<std::mutex> held(download->lock);
  if (title && capacity > 0) WideCopy(title, size_t(capacity), Utf8ToWide(shownTitle));
  return titleChanges;
}
