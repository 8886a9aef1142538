// The AVI walk, the header list and the index tables in process, over the input held in memory.
// Properties: once finished, every index entry lies inside the file; the audio entries number
// the stream's bytes without gaps and their total is the audio length; an audio position is
// found in the entry that holds it; the super indexes found lie inside the header list.
#include <algorithm>
#include <cstring>

#include "media/avi_index.h"
#include "media/avi_parser.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const uint8_t* input = nullptr;
int64_t inputSize = 0, position = 0;

int32_t Read(uint8_t* destination, int32_t count) {
  const int64_t got = std::clamp<int64_t>(inputSize - position, 0, count);
  if (got > 0) std::memcpy(destination, input + position, size_t(got));
  position += got;
  return static_cast<int32_t>(got);
}

int32_t Seek(int32_t offset, int32_t origin) {
  const int64_t target = (origin == TARNIC_FROM_START ? 0 : position) + offset;
  if (target < 0 || target > INT32_MAX) return -1;
  position = target;
  return static_cast<int32_t>(target);
}

void CheckIndex(const AviIndex& index, int64_t fileLength, int32_t audioLength) {
  for (int32_t i = 0; i < index.video.count; ++i)
    FUZZ_CHECK(int64_t{index.video.entries[i].DataOffset} + index.video.entries[i].Size <=
               fileLength);
  int64_t total = 0;
  for (int32_t i = 0; i < index.audio.count; ++i) {
    const AudioIndexEntry& entry = index.audio.entries[i];
    FUZZ_CHECK(int64_t{entry.DataOffset} + entry.Size <= fileLength);
    FUZZ_CHECK(entry.BytesBefore == total);
    total += entry.Size;
  }
  FUZZ_CHECK(total == audioLength);
  for (const int64_t at : {int64_t{0}, total / 3, total - 1, total + 5}) {
    const AudioCursor cursor = LocateAudio(index.audio, at);
    if (index.audio.count == 0) continue;
    FUZZ_CHECK(cursor.entry >= 0 && cursor.entry < index.audio.count);
    FUZZ_CHECK(index.audio.entries[cursor.entry].BytesBefore <= std::max<int64_t>(at, 0));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  input = data;
  inputSize = static_cast<int64_t>(size);
  position = 0;
  AviWalk walk;
  if (WalkAviFile({.Read = Read, .Seek = Seek}, &walk) && walk.headerList) {
    MediaDescriptor descriptor{};
    const AviStreamChoice choice =
        ParseHeaderList(walk.headerList.get(), walk.headerListBytes, &descriptor);
    for (const HeaderListSpan& span : {choice.videoSuperIndex, choice.audioSuperIndex})
      FUZZ_CHECK(span.offset + span.length <= walk.headerListBytes);
    FUZZ_CHECK(KeyFrameThreshold(descriptor.FramesPerSecond, descriptor.FrameCount, inputSize) >=
               0);
  }
  const int32_t audioLength = FinishIndex(&walk.index, inputSize);
  CheckIndex(walk.index, inputSize, audioLength);
  ReleaseIndex(&walk.index);
  return 0;
}
