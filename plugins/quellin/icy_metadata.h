// Shoutcast/Icecast in-band metadata: a server asked for it ("Icy-MetaData: 1") answers with
// "icy-metaint: N" and puts a metadata block after every N audio bytes (one length byte, times
// 16 bytes of text such as "StreamTitle='Artist - Title';"). IcyStream takes the blocks out.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

struct IcyStream {
  size_t interval = 0;    // audio bytes between blocks; 0 = no metadata
  size_t untilBlock = 0;  // audio bytes left before the next block
  size_t blockLeft = 0;   // metadata bytes still to come in the current block
  bool inBlock = false;
  std::string block;  // the current block's text
};

void StartIcyStream(IcyStream* stream, size_t interval);
// Splits `count` received bytes into audio (appended to `audio`) and metadata; calls
// `onTitle` with each block's stream title (possibly empty when the block names none).
template <typename OnTitle>
void FeedIcyStream(IcyStream* stream, const uint8_t* bytes, size_t count, std::string* audio,
                   OnTitle onTitle);
// The StreamTitle='...' value of a metadata block, or "" when there is none.
std::string StreamTitleOf(const std::string& block);

template <typename OnTitle>
void FeedIcyStream(IcyStream* stream, const uint8_t* bytes, size_t count, std::string* audio,
                   OnTitle onTitle) {
  constexpr size_t kBlockUnit = 16;
  for (size_t at = 0; at < count;) {
    if (stream->interval == 0) {
      audio->append(reinterpret_cast<const char*>(bytes + at), count - at);
      return;
    }
    if (!stream->inBlock && stream->untilBlock > 0) {
      const size_t take = std::min(stream->untilBlock, count - at);
      audio->append(reinterpret_cast<const char*>(bytes + at), take);
      stream->untilBlock -= take;
      at += take;
    } else if (!stream->inBlock) {  // the length byte
      stream->blockLeft = size_t(bytes[at++]) * kBlockUnit;
      stream->block.clear();
      stream->inBlock = stream->blockLeft > 0;
      if (!stream->inBlock) stream->untilBlock = stream->interval;
    } else {
      const size_t take = std::min(stream->blockLeft, count - at);
      stream->block.append(reinterpret_cast<const char*>(bytes + at), take);
      stream->blockLeft -= take;
      at += take;
      if (stream->blockLeft > 0) continue;
      stream->inBlock = false;
      stream->untilBlock = stream->interval;
      onTitle(StreamTitleOf(stream->block));
    }
  }
}
