// MorvelantMpegReader: the reader of MPEG audio files (mp3, mp2, mpa). The item is audio only;
// its audio bytes are the file's bytes, ID3 tags included, under the wave format tag of the
// stream's layer (85 for layer III, 80 for I and II), so that the MPEG audio codec reads the
// tags and decodes. Seeks by percentage go through the Xing or VBRI table when the first frame
// carries one and land on a frame boundary; progress is the time at the read position. A
// network URL (mode 1) is played as a network item (plugins/quellin/network_item.h).
#include <algorithm>
#include <climits>
#include <cstdio>
#include <mutex>
#include <string>

#include "morvelant/reader_interface.h"
#include "platform/files.h"
#include "platform/text.h"
#include "plugins/quellin/network_item.h"
#include "plugins/reader_mpeg/mpeg_frames.h"
#include "plugins/reader_mpeg/mpeg_seek_map.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kLayer3Tag = 85, kLayer12Tag = 80;
constexpr int32_t kMaxSeekPercent = 99;
constexpr size_t kFirstFrameBytes = 8192;  // room for the largest frame and its table

// ReadAudio (audio thread) and the repositionings (main thread) share the file position: every
// entry point holds this lock.
std::mutex readerLock;
std::FILE* file = nullptr;
int64_t fileSize = 0;
int64_t position = 0;  // next byte ReadAudio delivers
MpegFrameHeader first;
SeekMap seekMap;
double durationSeconds = 0;
MediaDescriptor descriptor;
bool networkItem = false;  // the item is a network item; set by Open, read by the other slots

void CloseFile() {
  if (file) std::fclose(file);
  file = nullptr;
  descriptor = MediaDescriptor{};
  seekMap.clear();
  fileSize = position = 0;
}

int32_t RemainingSpan() {
  return int32_t(std::clamp<int64_t>(fileSize - position, 1, INT32_MAX));
}

bool ReadStream(const std::string& path) {
  file = OpenRegularFileStream(path);
  if (!file || fseeko(file, 0, SEEK_END) != 0) return false;
  fileSize = ftello(file);
  const int64_t firstFrame = FindFirstFrame(file, fileSize, &first);
  if (firstFrame < 0) return false;
  uint8_t frame[kFirstFrameBytes];
  const size_t available = ReadAt(file, firstFrame, frame, sizeof frame);
  seekMap = BuildSeekMap(frame, available, first, firstFrame, fileSize);
  const int32_t bitrate = AverageBitrate(frame, available, first);
  durationSeconds = bitrate > 0 ? double(fileSize - firstFrame) * 8 / bitrate : 0;
  descriptor.AudioFormatTag = first.sideInfoBytes > 0 ? kLayer3Tag : kLayer12Tag;
  descriptor.Channels = first.channels;
  descriptor.SampleRate = first.sampleRate;
  descriptor.AudioLength = int32_t(std::min<int64_t>(fileSize, INT32_MAX));
  return true;
}

// The time fraction a seek asks for: a percentage, or a frame index counted in audio frames.
double SeekTime(int32_t target, int32_t mode) {
  if (mode != SEEK_BY_FRAME) return std::clamp(target, 0, kMaxSeekPercent) / 100.0;
  const double frameSeconds = double(first.samplesPerFrame) / first.sampleRate;
  return durationSeconds > 0 ? std::max(target, 0) * frameSeconds / durationSeconds : 0;
}

int32_t OpenItem(const char16_t* path, int32_t mode, int32_t, MediaDescriptor** descriptorOut) {
  std::lock_guard<std::mutex> hold(readerLock);
  CloseFile();
  if (networkItem) NetworkClose();
  networkItem = mode == READER_MODE_URL;
  if (networkItem) return NetworkOpen(path, descriptorOut);
  *descriptorOut = &descriptor;
  if (!path || !ReadStream(WideToUtf8(WideView(path)))) {
    CloseFile();
    return 0;
  }
  return 1;
}

int32_t ReadAudio(uint8_t* destination, int32_t length) {
  if (networkItem) return NetworkReadAudio(destination, length);
  std::lock_guard<std::mutex> hold(readerLock);
  if (!file || length <= 0) return 0;
  const size_t got = ReadAt(file, position, destination, size_t(length));
  position += int64_t(got);
  return int32_t(got);
}

int32_t ReadVideoFrame(uint8_t*, int32_t) {
  return -1;  // no video
}

int32_t Seek(int32_t target, int32_t mode) {
  if (networkItem) return NetworkRemainingSpan();
  std::lock_guard<std::mutex> hold(readerLock);
  if (!file) return 1;
  const double time = SeekTime(target, mode);
  position =
      time <= 0 ? 0 : AlignToFrame(file, fileSize, OffsetAtTime(seekMap, time), first.fixedBits);
  return RemainingSpan();
}

int32_t ResyncAudio() {
  if (networkItem) return NetworkRemainingSpan();
  std::lock_guard<std::mutex> hold(readerLock);
  return RemainingSpan();
}

double GetProgress() {
  if (networkItem) return NetworkProgress();
  std::lock_guard<std::mutex> hold(readerLock);
  return file ? TimeAtOffset(seekMap, position) * 100.0 : 0.0;
}

int32_t Close() {
  std::lock_guard<std::mutex> hold(readerLock);
  CloseFile();
  if (networkItem) NetworkClose();
  networkItem = false;
  return 1;
}

int32_t IsKeyFrame(int32_t) {
  return 1;
}

}  // namespace

EXPORT int32_t InitializeReader(ReaderOps* table) {
  table->Open = OpenItem;
  table->ReadAudio = ReadAudio;
  table->ReadVideoFrame = ReadVideoFrame;
  table->Seek = Seek;
  table->ResyncAudio = ResyncAudio;
  table->GetProgress = GetProgress;
  table->Close = Close;
  table->IsKeyFrame = IsKeyFrame;
  return 1;
}

// Optional export: a network item's stream title (see NetworkStreamTitle).
EXPORT int32_t ReaderStreamTitle(char16_t* title, int32_t capacity) {
  return networkItem ? NetworkStreamTitle(title, capacity) : 0;
}
