// The in-process parsers of the network and media readers over the same input: the ICY
// metadata splitting (the interval and piece size from the first bytes), StreamTitleOf, the
// ID3 title tag read back, the ADTS header written from an AudioSpecificConfig, the Theora
// set-up split and the MPEG seek map built from a first frame.
// Properties: the ICY split hands out exactly the audio bytes a plain walk of the layout finds
// and one title per whole block; a title is part of its block; the ID3 tag reads back as the
// title; a written ADTS header is recognised and says what it was given; the Theora set-up is
// never longer than the packet and is three whole headers; the seek map rises from the first
// frame to the end of the file and maps times and offsets within it.
#include <algorithm>
#include <string>
#include <vector>

#include "plugins/audio_mpg123/mpeg_audio_header.h"
#include "plugins/quellin/icy_metadata.h"
#include "plugins/quellin/id3_title.h"
#include "plugins/reader_avformat/adts_header.h"
#include "plugins/reader_mpeg/mpeg_seek_map.h"
#include "plugins/video_avcodec/theora_setup.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr size_t kBlockUnit = 16;

// The audio of an ICY stream by a plain walk: `interval` audio bytes, a length byte, that many
// 16-byte units of metadata, and again. Counts the whole blocks that hold text.
std::string IcyAudio(const uint8_t* bytes, size_t size, size_t interval, size_t* blocks) {
  std::string audio;
  for (size_t at = 0; at < size;) {
    const size_t take = std::min(interval, size - at);
    audio.append(reinterpret_cast<const char*>(bytes + at), take);
    at += take;
    if (at == size) break;
    const size_t length = bytes[at++] * kBlockUnit;
    if (length > 0 && at + length <= size) ++*blocks;
    at += length;
  }
  return audio;
}

void CheckIcy(const uint8_t* data, size_t size) {
  if (size < 3) return;
  const size_t interval = 1 + (data[0] | data[1] << 8) % 600, piece = 1 + data[2] % 97;
  const uint8_t* bytes = data + 3;
  const size_t count = size - 3;
  IcyStream stream;
  StartIcyStream(&stream, interval);
  std::string audio;
  size_t titles = 0;
  for (size_t at = 0; at < count; at += piece)
    FeedIcyStream(&stream, bytes + at, std::min(piece, count - at), &audio,
                  [&](std::string) { ++titles; });
  size_t blocks = 0;
  FUZZ_CHECK(audio == IcyAudio(bytes, count, interval, &blocks));
  FUZZ_CHECK(titles == blocks);
}

void CheckStreamTitle(const std::string& block) {
  const std::string title = StreamTitleOf(block);
  if (!title.empty()) FUZZ_CHECK(block.find("StreamTitle='" + title) != std::string::npos);
}

size_t SyncSafe(const uint8_t* bytes) {
  return size_t(bytes[0]) << 21 | size_t(bytes[1]) << 14 | size_t(bytes[2]) << 7 | bytes[3];
}

// The text frames of an ID3v2.4 tag, by identifier.
std::vector<std::pair<std::string, std::string>> TextFrames(const std::string& tag) {
  std::vector<std::pair<std::string, std::string>> frames;
  const auto* bytes = reinterpret_cast<const uint8_t*>(tag.data());
  for (size_t at = kId3HeaderBytes; at + 10 <= tag.size();) {
    const size_t length = SyncSafe(bytes + at + 4);
    FUZZ_CHECK(length >= 1 && at + 10 + length <= tag.size());
    FUZZ_CHECK(bytes[at + 10] == 3);  // UTF-8
    frames.emplace_back(tag.substr(at, 4), tag.substr(at + 11, length - 1));
    at += 10 + length;
  }
  return frames;
}

void CheckId3Title(const std::string& title) {
  const std::string tag = Id3TitleTag(title);
  FUZZ_CHECK(tag.size() >= kId3HeaderBytes);
  FUZZ_CHECK(Id3v2TagBytes(reinterpret_cast<const uint8_t*>(tag.data())) == tag.size());
  const auto frames = TextFrames(tag);
  const size_t split = title.find(" - ");
  if (split == std::string::npos) {
    FUZZ_CHECK(frames.size() == 1 && frames[0].first == "TIT2");
    FUZZ_CHECK(title.compare(0, frames[0].second.size(), frames[0].second) == 0);
  } else {
    FUZZ_CHECK(frames.size() == 2 && frames[0].first == "TPE1" && frames[1].first == "TIT2");
    if (frames[0].second.size() == split && title.size() - split - 3 <= 1000)
      FUZZ_CHECK(frames[0].second + " - " + frames[1].second == title);
  }
}

void CheckAdts(const uint8_t* data, size_t size) {
  AdtsConfig config;
  if (!ReadAudioSpecificConfig(data, size, &config)) return;
  const size_t payload = size * 37 % 9000;
  uint8_t header[kAdtsHeaderBytes];
  WriteAdtsHeader(config, payload, header);
  FUZZ_CHECK(StartsWithAdts(header, sizeof header));
  FUZZ_CHECK((header[2] >> 6) + 1 == config.objectType);
  FUZZ_CHECK((header[2] >> 2 & 15) == config.rateIndex);
  FUZZ_CHECK(((header[2] & 1) << 2 | header[3] >> 6) == config.channelConfig);
  const size_t frame = size_t(header[3] & 3) << 11 | size_t(header[4]) << 3 | header[5] >> 5;
  FUZZ_CHECK(frame == std::min<size_t>(payload + kAdtsHeaderBytes, 0x1FFF));
}

void CheckTheora(const uint8_t* data, size_t size) {
  const size_t setup = TheoraSetupBytes(data, size);
  FUZZ_CHECK(setup <= size);
  if (setup == 0) return;
  size_t at = 0;
  for (uint8_t type = 0x80; type <= 0x82; ++type) {
    const size_t length = size_t(data[at]) << 8 | data[at + 1];
    FUZZ_CHECK(length >= 7 && at + 2 + length <= setup);
    FUZZ_CHECK(data[at + 2] == type && std::string(data + at + 3, data + at + 9) == "theora");
    at += 2 + length;
  }
  FUZZ_CHECK(at == setup);
}

void CheckSeekMap(const uint8_t* data, size_t size) {
  MpegFrameHeader header;
  size_t at = 0;
  while (at + kMpegHeaderBytes <= size && at < 64 && !ParseMpegFrameHeader(data + at, &header))
    ++at;
  if (at + kMpegHeaderBytes > size || at >= 64) return;
  const size_t available = size - at;
  const int64_t firstFrame = int64_t(at) * 1000;
  const int64_t fileSize = firstFrame + int64_t(available) + int64_t(data[0]) * 4096;
  const SeekMap map = BuildSeekMap(data + at, available, header, firstFrame, fileSize);
  FUZZ_CHECK(map.size() >= 2 && map.front().time == 0 && map.front().offset == firstFrame);
  FUZZ_CHECK(map.back().time == 1 && map.back().offset <= fileSize);
  for (size_t i = 1; i < map.size(); ++i)
    FUZZ_CHECK(map[i].time >= map[i - 1].time && map[i].offset >= map[i - 1].offset);
  int64_t previous = firstFrame;
  for (int percent = 0; percent <= 100; ++percent) {
    const int64_t offset = OffsetAtTime(map, percent / 100.0);
    FUZZ_CHECK(offset >= previous && offset <= fileSize);
    const double time = TimeAtOffset(map, offset);
    FUZZ_CHECK(time >= 0 && time <= 1);
    previous = offset;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckIcy(data, size);
  CheckStreamTitle(text);
  CheckId3Title(text);
  CheckAdts(data, size);
  CheckTheora(data, size);
  CheckSeekMap(data, size);
  return 0;
}
