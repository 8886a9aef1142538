// MorvelantMpegAudio: the MPEG audio codec (wave format tags 80 and 85) on libmpg123.
//
// GetHeaderInfo looks for the first frame itself, past any ID3v2 tag, and hands back a keep
// count that brings that frame to the front of the buffer: the buffer the player then decodes
// whole starts exactly where libmpg123 would start on the file. A second, header-only handle
// reads the ID3 texts. DecompressAudio feeds everything it gets and hands out at most
// `capacity` bytes per call, keeping the rest for the calls with null input. Positions count
// stream bytes, those before the first frame included.
#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "morvelant/audio_decoder.h"
#include "plugins/audio_mpg123/equalizer_bands.h"
#include "plugins/audio_mpg123/mpeg_audio_header.h"
#include "plugins/audio_mpg123/tag_text.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// A header cut at the end of a buffer comes back whole at the front of the next one.
constexpr int32_t kHeaderCarryBytes = int32_t(kId3HeaderBytes) - 1;
constexpr int32_t kBytesPerSample = 2;
constexpr size_t kId3v1TextBytes = 30;

// Where the first frame search stands, in absolute stream offsets.
struct HeaderSearch {
  int64_t bufferStart = 0;  // offset of the buffer GetHeaderInfo receives next
  int64_t skipUntil = 0;    // end of the last ID3v2 tag seen
  int64_t probeFedTo = 0;   // bytes the tag reader has been given
};

// The player calls DecoderInit, SeekStart and SeekEnd from its main window's thread while the
// audio thread decodes: every entry point holds this lock.
std::mutex codecLock;
mpg123_handle* decoder = nullptr;
mpg123_handle* tagReader = nullptr;
HeaderSearch search;
int8_t bands[kEqualizerBytes] = {};  // kept when DecoderInit gets null
bool equalizerOn = false;
int32_t streamRate = 0, outputRate = 0, outputChannels = 0;
int32_t consumed = 0;
// Where the handle's first fed byte lies in the stream, and the stream position reached by the
// frame being handed out: the clock position, finer than the bytes fed.
int32_t feedBase = 0;
bool fed = false;
int32_t framePosition = 0;
std::vector<uint8_t> pending;  // decoded PCM not handed out yet
size_t pendingRead = 0;

mpg123_handle* NewFeedHandle() {
  static std::once_flag initialised;
  std::call_once(initialised, [] { mpg123_init(); });
  mpg123_handle* handle = mpg123_new(nullptr, nullptr);
  if (!handle) return nullptr;
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0);  // after a seek the bytes start anywhere
  if (mpg123_open_feed(handle) == MPG123_OK) return handle;
  mpg123_delete(handle);
  return nullptr;
}

void DeleteHandle(mpg123_handle** handle) {
  if (*handle) mpg123_delete(*handle);
  *handle = nullptr;
}

void ApplyEqualizer() {
  if (!decoder) return;
  if (!equalizerOn || EqualizerIsFlat(bands)) {
    mpg123_reset_eq(decoder);
    return;
  }
  const int32_t rate = streamRate ? streamRate : AUDIO_RETRY_RATE_HIGH;
  for (int subband = 0; subband < kMpegSubbands; ++subband)
    mpg123_eq(decoder, MPG123_LR, subband, SubbandGain(bands, subband, rate));
}

// 16-bit output at the chosen rate; a rate libmpg123 cannot reach falls back to the stream's.
void SetOutputFormat() {
  const int layout = outputChannels == 1 ? MPG123_MONO : MPG123_STEREO;
  mpg123_format_none(decoder);
  if (mpg123_format(decoder, outputRate, layout, MPG123_ENC_SIGNED_16) == MPG123_OK) return;
  outputRate = streamRate;
  mpg123_format(decoder, outputRate, layout, MPG123_ENC_SIGNED_16);
}

void ForgetPending() {
  pending.clear();
  pendingRead = 0;
}

void StartDecoder() {
  decoder = NewFeedHandle();
  if (decoder && outputRate) SetOutputFormat();
  ApplyEqualizer();
  ForgetPending();
  consumed = 0;
  fed = false;
}

void FeedTagReader(const uint8_t* input, int32_t length) {
  const int64_t from = std::max<int64_t>(0, search.probeFedTo - search.bufferStart);
  if (tagReader && from < length) mpg123_feed(tagReader, input + from, size_t(length - from));
  search.probeFedTo = std::max(search.probeFedTo, search.bufferStart + length);
}

bool NextHeaderAgrees(const uint8_t* input, int32_t length, int32_t at,
                      const MpegFrameHeader& header) {
  const int32_t next = at + header.frameBytes;
  if (next + int32_t(kMpegHeaderBytes) > length) return true;  // checked once it is in front
  MpegFrameHeader following;
  return ParseMpegFrameHeader(input + next, &following) && following.fixedBits == header.fixedBits;
}

// The offset of the first frame in this buffer, skipping ID3v2 tags; -1 when there is none.
int32_t FindFirstFrame(const uint8_t* input, int32_t length, MpegFrameHeader* header) {
  int64_t at = std::max<int64_t>(0, search.skipUntil - search.bufferStart);
  for (; at + int32_t(kMpegHeaderBytes) <= length; ++at) {
    const size_t tag =
        at + int32_t(kId3HeaderBytes) <= length ? Id3v2TagBytes(input + at) : size_t(0);
    if (tag) {
      search.skipUntil = search.bufferStart + at + int64_t(tag);
      at += int64_t(tag) - 1;
      continue;
    }
    if (ParseMpegFrameHeader(input + at, header) && NextHeaderAgrees(input, length, at, *header))
      return int32_t(at);
  }
  return -1;
}

void ReadTags(char16_t* title, char16_t* artist, char16_t* album) {
  long rate = 0;
  int channels = 0, encoding = 0;
  mpg123_id3v1* v1 = nullptr;
  mpg123_id3v2* v2 = nullptr;
  if (!tagReader) return;
  const int found = mpg123_getformat(tagReader, &rate, &channels, &encoding);
  if ((found != MPG123_OK && found != MPG123_NEW_FORMAT) ||
      mpg123_id3(tagReader, &v1, &v2) != MPG123_OK)
    return;
  char16_t* buffers[] = {title, artist, album};
  if (v2) {
    const mpg123_string* texts[] = {v2->title, v2->artist, v2->album};
    for (int i = 0; i < 3; ++i)
      if (texts[i] && texts[i]->p)
        WriteTagText(texts[i]->p, std::strlen(texts[i]->p), "UTF-8", buffers[i], AUDIO_TAG_CHARS);
  } else if (v1) {
    const char* texts[] = {v1->title, v1->artist, v1->album};
    for (int i = 0; i < 3; ++i)
      WriteTagText(texts[i], strnlen(texts[i], kId3v1TextBytes), "ISO-8859-1", buffers[i],
                   AUDIO_TAG_CHARS);
  }
}

int32_t HeaderReady(const uint8_t* input, int32_t length, const MpegFrameHeader& header,
                    int32_t* rate, int32_t* channels, int32_t* bitrate) {
  streamRate = header.sampleRate;
  outputRate = *rate > 0 ? *rate : header.sampleRate;
  outputChannels = header.channels;
  SetOutputFormat();
  ApplyEqualizer();
  *rate = outputRate;
  *channels = outputChannels;
  *bitrate = AverageBitrate(input, size_t(length), header);
  consumed = int32_t(search.bufferStart);
  return AUDIO_STATUS_READY;
}

// One more frame of PCM into `pending`; false when the decoder needs more input.
bool DecodeNextFrame() {
  ForgetPending();
  for (;;) {
    off_t frame = 0;
    unsigned char* audio = nullptr;
    size_t bytes = 0;
    const int result = mpg123_decode_frame(decoder, &frame, &audio, &bytes);
    if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && bytes == 0)) continue;
    if (result != MPG123_OK) return false;
    pending.assign(audio, audio + bytes);
    mpg123_frameinfo info{};
    const off_t start = mpg123_framepos(decoder);
    if (start >= 0 && mpg123_info(decoder, &info) == MPG123_OK)
      framePosition = feedBase + int32_t(start) + int32_t(info.framesize);
    return true;
  }
}

int32_t Drain(uint8_t* output, int32_t limit) {
  int32_t written = 0;
  while (written < limit) {
    if (pendingRead == pending.size() && !DecodeNextFrame()) break;
    const size_t count = std::min(size_t(limit - written), pending.size() - pendingRead);
    std::memcpy(output + written, pending.data() + pendingRead, count);
    pendingRead += count;
    written += int32_t(count);
  }
  return written;
}

bool HasPendingOutput() {
  return pendingRead < pending.size() || DecodeNextFrame();
}

}  // namespace

EXPORT int32_t DecoderInit(int32_t on, const int8_t* newBands) {
  std::lock_guard<std::mutex> hold(codecLock);
  equalizerOn = on != 0;
  if (newBands) std::memcpy(bands, newBands, kEqualizerBytes);
  if (decoder) {
    ApplyEqualizer();
    return 0;
  }
  search = HeaderSearch{};
  streamRate = outputRate = outputChannels = 0;
  tagReader = NewFeedHandle();
  StartDecoder();
  return decoder ? 0 : -1;
}

EXPORT int32_t DecoderExit() {
  std::lock_guard<std::mutex> hold(codecLock);
  DeleteHandle(&decoder);
  DeleteHandle(&tagReader);
  ForgetPending();
  return 0;
}

// An equalizer change from the window's thread after the last pass ended starts a pass that no
// DecoderExit will end: whatever is still open goes when the library is unloaded.
__attribute__((destructor)) static void CloseOnUnload() {
  DeleteHandle(&decoder);
  DeleteHandle(&tagReader);
}

EXPORT int32_t GetHeaderInfo(uint8_t* input, int32_t length, int32_t* rate, int32_t* channels,
                             int32_t* bitrate, char16_t* title, char16_t* artist, char16_t* album) {
  std::lock_guard<std::mutex> hold(codecLock);
  if (!decoder) return -1;
  FeedTagReader(input, length);
  MpegFrameHeader header;
  const int32_t first = FindFirstFrame(input, length, &header);
  if (first == 0) {
    ReadTags(title, artist, album);
    DeleteHandle(&tagReader);
    return HeaderReady(input, length, header, rate, channels, bitrate);
  }
  const bool tagGoesOn = search.skipUntil >= search.bufferStart + length;
  const int32_t keep = first > 0   ? length - first
                       : tagGoesOn ? 0
                                   : std::min(kHeaderCarryBytes, length - 1);
  search.bufferStart += length - keep;
  return keep > 0 ? keep : AUDIO_STATUS_CONSUMED;
}

EXPORT int32_t DecompressAudio(const uint8_t* input, int32_t length, uint8_t* output,
                               int32_t capacity, int32_t* outLength, int32_t* position) {
  std::lock_guard<std::mutex> hold(codecLock);
  *outLength = 0;
  if (!decoder) return -1;
  if (input && length > 0) {
    if (!fed) feedBase = consumed;
    fed = true;
    mpg123_feed(decoder, input, size_t(length));
    consumed += length;
  }
  const int32_t frameBytes = kBytesPerSample * std::max(outputChannels, 1);
  *outLength = Drain(output, capacity - capacity % frameBytes);
  *position = *outLength > 0 ? framePosition : consumed;
  return HasPendingOutput() ? AUDIO_STATUS_READY : AUDIO_STATUS_CONSUMED;
}

EXPORT int32_t SeekStart() {
  std::lock_guard<std::mutex> hold(codecLock);
  ForgetPending();
  return 0;
}

// The stream goes on from somewhere else: a fresh decoder finds the next frame by itself, and
// positions count from there, as the reader's new audio span does.
EXPORT int32_t SeekEnd() {
  std::lock_guard<std::mutex> hold(codecLock);
  consumed = 0;
  if (!decoder) return 0;
  DeleteHandle(&decoder);
  StartDecoder();
  return 0;
}
