#include "media/avi_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/player_state.h"
#include "core/shared_word.h"
#include "media/avi_index.h"
#include "media/avi_parser.h"
#include "media/little_endian.h"
#include "media/reader_state.h"
#include "morvelant/input_library.h"
#include "morvelant/video_codec.h"
#include "platform/library.h"
#include "platform/sync.h"
#include "platform/text.h"

namespace {

constexpr char16_t kPlainInputLibrary[] = u"Tarnic.dll";
constexpr char16_t kCachedInputLibrary[] = u"TarnicCache.dll";
// The parse open asks for no read-ahead; the playback open for a 4 MB cache, with the reader's
// Open parameter as the input library's second tuning value.
constexpr int32_t kParseOpenTuning1 = -1;
constexpr int32_t kParseOpenTuning2 = 1000000;
constexpr int32_t kPlaybackOpenTuning1 = 4000000;
constexpr int32_t kEndOfStream = -1;
// What Seek returns for a file without audio.
constexpr int32_t kNoAudioSpan = 1;
constexpr int64_t kAudioAlignment = 4;
// The most a format record can describe: 18 fixed bytes and an extra size of up to 65535.
constexpr size_t kMaxAudioFormatRecordBytes = 18 + 0xFFFF;

// Fields in the order their exports are looked up.
struct InputLibrary {
  LibraryHandle library = nullptr;
  TarnicReadFunction Read = nullptr;
  TarnicSeekFunction Seek = nullptr;
  TarnicOpenFunction Open = nullptr;
  TarnicCloseFunction Close = nullptr;
};

// The one reader state. Open and Close (main thread, no playback thread running) set it up and
// tear it down; in between the video frame (the descriptor's CurrentFrame), the audio cursor and
// the input's position change only under `lock`.
struct AviReader {
  char16_t savedPath[kMediaPathChars];
  int32_t parameter = 0;
  InputLibrary input;
  MutexHandle lock = nullptr;  // ReaderLock; null while closed
  int64_t moviPosition = 0;
  AviIndex index;
  AudioCursor audio;
  std::vector<uint8_t> audioFormatRecord;
};

AviReader reader;
MediaDescriptor descriptor;  // the one record every item uses

struct ReaderLockHold {
  ReaderLockHold() { WaitForMutex(reader.lock, INFINITE); }
  ~ReaderLockHold() { ReleaseMutex(reader.lock); }
  ReaderLockHold(const ReaderLockHold&) = delete;
  ReaderLockHold& operator=(const ReaderLockHold&) = delete;
};

// CurrentFrame is one aligned word that other threads read without the lock.
int32_t CurrentFrame() {
  return LoadSharedWord(descriptor.CurrentFrame);
}

void SetCurrentFrame(int32_t frame) {
  StoreSharedWord(descriptor.CurrentFrame, frame);
}

bool LoadInput(int32_t mode) {
  const LibraryHandle library =
      LoadLibrary(mode != READER_MODE_LOCAL ? kCachedInputLibrary : kPlainInputLibrary);
  if (!library) return false;
  const InputLibrary input{
      .library = library,
      .Read = reinterpret_cast<TarnicReadFunction>(GetProcAddress(library, TARNIC_READ_EXPORT)),
      .Seek = reinterpret_cast<TarnicSeekFunction>(GetProcAddress(library, TARNIC_SEEK_EXPORT)),
      .Open = reinterpret_cast<TarnicOpenFunction>(GetProcAddress(library, TARNIC_OPEN_EXPORT)),
      .Close = reinterpret_cast<TarnicCloseFunction>(GetProcAddress(library, TARNIC_CLOSE_EXPORT)),
  };
  if (!input.Read || !input.Seek || !input.Open || !input.Close) {
    FreeLibrary(library);
    return false;
  }
  reader.input = input;
  return true;
}

void UnloadInput() {
  FreeLibrary(reader.input.library);
  reader.input = {};
}

// Clears what the parser fills, so that nothing of an earlier item survives in the shared
// record; Channels and SampleRate stay, they are the player's.
void ResetForParse() {
  SetCurrentFrame(0);
  reader.audio = {};
  reader.moviPosition = 0;
  reader.audioFormatRecord.clear();
  descriptor.Width = descriptor.Height = 0;
  descriptor.FramesPerSecond = 0;
  std::memset(descriptor.FourCC, 0, sizeof(descriptor.FourCC));
  descriptor.FourCCTerminator = 0;
  descriptor.FrameCount = 0;
  descriptor.AudioFormatTag = descriptor.AudioLength = descriptor.KeyFrameThreshold = 0;
}

void SwitchOffVideo() {
  descriptor.FrameCount = descriptor.Width = descriptor.Height = 0;
  std::memset(descriptor.FourCC, 0, sizeof(descriptor.FourCC));
}

// A declared picture size beyond what any codec accepts is damage: nothing may be allocated
// from it.
bool PictureSizeUsable(int32_t width, int32_t height) {
  return width >= 0 && height >= 0 && width <= VIDEO_MAX_PICTURE_SIDE &&
         height <= VIDEO_MAX_PICTURE_SIDE && int64_t{width} * height <= VIDEO_MAX_PICTURE_PIXELS;
}

// Only indexed frames can be read, only a stream with a frame rate can be paced, and only a
// picture of a sane size can be decoded.
void CompleteVideo(const AviStreamChoice& choice) {
  descriptor.FrameCount = std::min(descriptor.FrameCount, reader.index.video.count);
  if (!choice.videoFrameRateUsable || descriptor.FrameCount <= 0 ||
      !PictureSizeUsable(descriptor.Width, descriptor.Height))
    SwitchOffVideo();
}

void KeepAudioFormatRecord(const AviWalk& walk, const HeaderListSpan& span) {
  const uint8_t* start = walk.headerList.get() + span.offset;
  reader.audioFormatRecord.assign(start, start + std::min(span.length, kMaxAudioFormatRecordBytes));
}

bool ParseOpenedFile() {
  AviWalk walk;
  const bool walked = WalkAviFile({.Read = reader.input.Read, .Seek = reader.input.Seek}, &walk);
  reader.index = walk.index;
  reader.moviPosition = walk.moviPosition;
  if (!walked) return false;
  const AviStreamChoice choice =
      walk.headerList ? ParseHeaderList(walk.headerList.get(), walk.headerListBytes, &descriptor)
                      : AviStreamChoice{};
  KeepAudioFormatRecord(walk, choice.audioFormat);
  reader.input.Close();
  const int32_t fileLength =
      reader.input.Open(reader.savedPath, 0, 0, kPlaybackOpenTuning1, reader.parameter);
  if (fileLength == 0) return false;
  descriptor.AudioLength = FinishIndex(&reader.index, fileLength);
  CompleteVideo(choice);
  descriptor.KeyFrameThreshold =
      KeyFrameThreshold(descriptor.FramesPerSecond, descriptor.FrameCount, fileLength);
  reader.input.Seek(static_cast<int32_t>(reader.moviPosition), TARNIC_FROM_START);
  SetCurrentFrame(0);
  return true;
}

// Frames that can be delivered: FrameCount, never beyond the index.
int32_t FrameLimit() {
  return std::min(descriptor.FrameCount, reader.index.video.count);
}

bool IsKey(int32_t frame) {
  return frame >= 0 && frame < reader.index.video.count &&
         reader.index.video.entries[frame].KeyFlag;
}

int32_t KeyFrameAtOrBefore(int32_t frame) {
  while (frame > 0 && !IsKey(frame)) --frame;
  return frame;
}

int32_t TargetFrame(int32_t position, int32_t mode) {
  const int64_t target =
      mode == SEEK_BY_PERCENT ? int64_t{position} * descriptor.FrameCount / 100 : position;
  return static_cast<int32_t>(std::clamp<int64_t>(target, 0, std::max(FrameLimit() - 1, 0)));
}

int64_t FrameAudioPosition(int32_t frame) {
  return static_cast<int64_t>(static_cast<double>(frame) / descriptor.FrameCount *
                              descriptor.AudioLength);
}

int64_t CurrentAudioPosition() {
  return AudioCursorPosition(reader.index.audio, reader.audio);
}

// An item without video moves its audio by percentage; a frame number leaves it where it is.
int64_t SeekAudioPosition(int32_t position, int32_t mode, int32_t frame) {
  if (descriptor.FrameCount > 0) return FrameAudioPosition(frame);
  if (mode != SEEK_BY_PERCENT) return CurrentAudioPosition();
  return int64_t{std::clamp(position, 0, 100)} * descriptor.AudioLength / 100;
}

// Block-coded sound (MS and IMA ADPCM) restarts only at the start of a block: its decoder
// cannot find its way into the middle of one. Its record says how long a block is.
int64_t AudioRestartUnit() {
  constexpr uint16_t kMsAdpcmTag = 0x02, kImaAdpcmTag = 0x11;
  constexpr size_t kBlockAlignOffset = 12;
  const uint16_t tag = static_cast<uint16_t>(descriptor.AudioFormatTag);
  const std::vector<uint8_t>& record = reader.audioFormatRecord;
  if ((tag != kMsAdpcmTag && tag != kImaAdpcmTag) || record.size() < kBlockAlignOffset + 2)
    return kAudioAlignment;
  return std::max<int64_t>(kAudioAlignment, ReadLittle16(record.data() + kBlockAlignOffset));
}

// Audio restarts on a 4-byte boundary, so 16-bit stereo samples are never split, or on a block
// boundary of block-coded sound.
int64_t AlignedAudioPosition(int64_t position) {
  const int64_t unit = AudioRestartUnit();
  const int64_t aligned = (position + unit - 1) / unit * unit;
  return std::clamp<int64_t>(aligned, 0, descriptor.AudioLength);
}

// Positions the input where the next read of either stream will start, so that cached input
// refills from there.
void SeekInputToNextRead() {
  const AudioIndexEntry& audio = reader.index.audio.entries[reader.audio.entry];
  int64_t next = int64_t{audio.DataOffset} + reader.audio.consumed;
  const int32_t frame = CurrentFrame();
  if (frame < reader.index.video.count)
    next = std::min<int64_t>(next, reader.index.video.entries[frame].DataOffset);
  reader.input.Seek(static_cast<int32_t>(next), TARNIC_FROM_START);
}

int32_t AviReadAudio(uint8_t* destination, int32_t length) {
  if (length <= 0 || !reader.lock) return 0;
  int32_t delivered = 0;
  while (length > 0) {
    ReaderLockHold hold;
    const IndexTable<AudioIndexEntry>& audio = reader.index.audio;
    if (reader.audio.entry >= audio.count) break;
    const AudioIndexEntry& entry = audio.entries[reader.audio.entry];
    const int64_t remaining = int64_t{entry.Size} - reader.audio.consumed;
    if (remaining <= 0) {
      if (reader.audio.entry == audio.count - 1) break;
      reader.audio = {reader.audio.entry + 1, 0};
      continue;
    }
    const int32_t take = static_cast<int32_t>(std::min<int64_t>(length, remaining));
    reader.input.Seek(static_cast<int32_t>(entry.DataOffset + reader.audio.consumed),
                      TARNIC_FROM_START);
    reader.input.Read(destination + delivered, take);
    reader.audio.consumed += take;
    delivered += take;
    length -= take;
  }
  return delivered;
}

int32_t AviReadVideoFrame(uint8_t* destination, int32_t skip) {
  if (!reader.lock) return kEndOfStream;
  ReaderLockHold hold;
  const int32_t frame = CurrentFrame();
  if (frame < 0 || frame >= FrameLimit()) return kEndOfStream;
  SetCurrentFrame(frame + 1);
  // Late: drop this frame when decoding can restart at the next one.
  if (skip != 0 && IsKey(frame + 1)) return 0;
  const VideoIndexEntry& entry = reader.index.video.entries[frame];
  if (entry.Size > static_cast<uint32_t>(kPacketBufferBytes)) return 0;  // dropped, not copied
  reader.input.Seek(static_cast<int32_t>(entry.DataOffset), TARNIC_FROM_START);
  reader.input.Read(destination, static_cast<int32_t>(entry.Size));
  return static_cast<int32_t>(entry.Size);
}

int32_t AviSeek(int32_t position, int32_t mode) {
  if (!reader.lock) return kNoAudioSpan;
  ReaderLockHold hold;
  const int32_t frame = KeyFrameAtOrBefore(TargetFrame(position, mode));
  SetCurrentFrame(frame);
  if (reader.index.audio.count == 0) return kNoAudioSpan;
  const int64_t audioPosition = AlignedAudioPosition(SeekAudioPosition(position, mode, frame));
  reader.audio = LocateAudio(reader.index.audio, audioPosition);
  SeekInputToNextRead();
  return static_cast<int32_t>(descriptor.AudioLength - audioPosition);
}

int32_t AviResyncAudio() {
  if (reader.index.audio.count == 0) return descriptor.AudioLength;
  ReaderLockHold hold;
  if (descriptor.FrameCount <= 0)
    return static_cast<int32_t>(descriptor.AudioLength - CurrentAudioPosition());
  const int64_t audioPosition = AlignedAudioPosition(FrameAudioPosition(CurrentFrame()));
  reader.audio = LocateAudio(reader.index.audio, audioPosition);
  return static_cast<int32_t>(descriptor.AudioLength - audioPosition);
}

// An item without video counts its progress in audio bytes.
double AviGetProgress() {
  if (descriptor.FrameCount > 0) return CurrentFrame() * 100.0 / descriptor.FrameCount;
  if (!reader.lock || descriptor.AudioLength <= 0) return 0;
  ReaderLockHold hold;
  return CurrentAudioPosition() * 100.0 / descriptor.AudioLength;
}

int32_t AviIsKeyFrame(int32_t frame) {
  return IsKey(frame) ? 1 : 0;
}

int32_t AviClose() {
  if (!reader.input.library) return 1;
  reader.input.Close();
  ReleaseIndex(&reader.index);
  if (reader.lock) CloseMutex(reader.lock);
  reader.lock = nullptr;
  reader.audio = {};
  reader.audioFormatRecord.clear();
  UnloadInput();
  return 1;
}

int32_t AviOpen(const char16_t* path, int32_t mode, int32_t parameter,
                MediaDescriptor** descriptorOut) {
  AviClose();  // an item left open is closed first
  WideCopy(reader.savedPath, kMediaPathChars, path ? WideView(path) : std::u16string_view());
  reader.parameter = parameter;
  if (!LoadInput(mode)) return 0;
  if (reader.input.Open(reader.savedPath, 0, 0, kParseOpenTuning1, kParseOpenTuning2) == 0) {
    UnloadInput();
    return 0;
  }
  reader.lock = CreateMutex();
  ResetForParse();
  const bool parsed = ParseOpenedFile();
  if (descriptorOut) *descriptorOut = &descriptor;
  return parsed ? 1 : 0;
}

}  // namespace

bool IsAviReader(const ReaderOps& table) {
  return table.Open == AviOpen;
}

std::span<const uint8_t> AviAudioFormatRecord() {
  return reader.audioFormatRecord;
}

void InstallAviReader(ReaderOps* table) {
  table->Open = AviOpen;
  table->ReadAudio = AviReadAudio;
  table->ReadVideoFrame = AviReadVideoFrame;
  table->Seek = AviSeek;
  table->ResyncAudio = AviResyncAudio;
  table->GetProgress = AviGetProgress;
  table->Close = AviClose;
  table->IsKeyFrame = AviIsKeyFrame;
}
