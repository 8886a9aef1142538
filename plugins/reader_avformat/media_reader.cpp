// MorvelantMediaReader: the general reader on libavformat (MP4, Matroska, WebM, Ogg, FLAC, WAV,
// MPEG-PS and -TS, FLV, ASF and the rest). It takes the best video and audio streams and hands
// them over as the shipped codec plug-ins want them (see stream_codes.cpp): video packets one
// per frame slot of a constant frame rate, so a variable-rate stream keeps its times (a slot
// whose packet is not due yet gets none); audio bytes as the codec plug-in's stream, or as PCM
// decoded here. Pictures larger than the reader parameter allows are announced smaller
// (picture_fit.h) and scaled by the video plug-in. Both threads pull from one demuxer: packets
// of the other stream wait in a bounded queue.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <deque>
#include <mutex>
#include <string>

extern "C" {
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
}

#include "morvelant/reader_interface.h"
#include "platform/files.h"
#include "platform/text.h"
#include "plugins/reader_avformat/adts_header.h"
#include "plugins/reader_avformat/pcm_decoder.h"
#include "plugins/reader_avformat/picture_fit.h"
#include "plugins/reader_avformat/reader_flavour.h"
#include "plugins/reader_avformat/stream_codes.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kPacketBufferBytes = 128000;  // the player's packet buffer
constexpr size_t kQueueLimitBytes = 16 << 20;   // a stream nobody reads stops growing here
constexpr int32_t kMaxSeekPercent = 99;
constexpr double kMaxFrameRate = 120, kDefaultFrameRate = 25;
constexpr size_t kRememberedKeys = 64;  // key flags of the latest delivered frames
constexpr int kSeekAttempts = 8;
constexpr int kSilenceSeconds = 5;
constexpr double kSeekStepBack = 1;  // seconds

struct PacketQueue {
  std::deque<AVPacket*> packets;
  size_t bytes = 0;
};

struct Item {
  AVFormatContext* format = nullptr;
  int video = -1, audio = -1;  // stream indexes
  AVBSFContext* filter = nullptr;
  AudioCode audioCode{};
  AdtsConfig adts;
  bool addAdts = false;
  PcmDecoder pcm;
  PacketQueue videoQueue, audioQueue;
  std::string audioBytes;  // converted audio not handed out yet
  size_t audioRead = 0;
  bool demuxEnded = false;
  double duration = 0;           // seconds
  double videoOrigin = 0;        // time of frame slot 0
  double startTime = 0;          // the file's first moment
  double audioFrom = -INFINITY;  // audio before this time is dropped (after a seek)
  double audioTime = 0;          // time of the latest audio handed out
  bool waitForKey = false;       // a packet was lost: drop frames up to the next key frame
  std::chrono::steady_clock::time_point deadline;  // when a blocking read gives up
  int32_t keyFrames[kRememberedKeys] = {};         // frame index + 1 of remembered key frames
};

// ReadAudio (audio thread), ReadVideoFrame and IsKeyFrame (video thread) and the repositionings
// (main thread) share the demuxer: every entry point holds this lock.
std::mutex readerLock;
Item item;
MediaDescriptor descriptor;

// Network and live sources must not hold a thread forever: every blocking call of libavformat
// gives up when the source has been silent for kSilenceSeconds.
int Interrupted(void*) {
  return std::chrono::steady_clock::now() > item.deadline;
}

void ArmDeadline() {
  item.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kSilenceSeconds);
}

double Seconds(int64_t time, AVRational base) {
  return time == AV_NOPTS_VALUE ? NAN : double(time) * av_q2d(base);
}

double PacketTime(const AVPacket* packet, AVRational base) {
  const double dts = Seconds(packet->dts, base);
  return std::isnan(dts) ? Seconds(packet->pts, base) : dts;
}

void Clear(PacketQueue* queue) {
  for (AVPacket* packet : queue->packets) av_packet_free(&packet);
  queue->packets.clear();
  queue->bytes = 0;
}

void Push(PacketQueue* queue, AVPacket* packet) {
  queue->packets.push_back(packet);
  queue->bytes += size_t(packet->size);
  while (queue->bytes > kQueueLimitBytes && queue->packets.size() > 1) {
    AVPacket* oldest = queue->packets.front();
    queue->packets.pop_front();
    queue->bytes -= size_t(oldest->size);
    av_packet_free(&oldest);
  }
}

AVPacket* Pop(PacketQueue* queue) {
  AVPacket* packet = queue->packets.front();
  queue->packets.pop_front();
  queue->bytes -= size_t(packet->size);
  return packet;
}

void CloseItem() {
  Clear(&item.videoQueue);
  Clear(&item.audioQueue);
  av_bsf_free(&item.filter);
  ClosePcmDecoder(&item.pcm);
  avformat_close_input(&item.format);
  item = Item{};
  descriptor = MediaDescriptor{};
}

void FilterVideo(AVPacket* packet) {
  if (!item.filter) return Push(&item.videoQueue, packet);
  if (av_bsf_send_packet(item.filter, packet) < 0) av_packet_unref(packet);
  av_packet_free(&packet);
  for (AVPacket* out = av_packet_alloc(); out; out = av_packet_alloc()) {
    if (av_bsf_receive_packet(item.filter, out) < 0) {
      av_packet_free(&out);
      break;
    }
    Push(&item.videoQueue, out);
  }
}

// Reads one more packet from the file into its stream's queue; false at the end.
bool DemuxOne() {
  if (item.demuxEnded) return false;
  AVPacket* packet = av_packet_alloc();
  ArmDeadline();
  if (!packet || av_read_frame(item.format, packet) < 0) {
    av_packet_free(&packet);
    item.demuxEnded = true;
    return false;
  }
  if (packet->stream_index == item.video && descriptor.FrameCount > 0)
    FilterVideo(packet);
  else if (packet->stream_index == item.audio && descriptor.AudioLength > 0)
    Push(&item.audioQueue, packet);
  else
    av_packet_free(&packet);
  return true;
}

bool Fill(PacketQueue* queue) {
  while (queue->packets.empty())
    if (!DemuxOne()) return false;
  return true;
}

// ---- audio ----

// A packet the container marks as skipped whole, like AAC's priming frame: a decoder we hand
// bytes to cannot know, so it never gets it.
bool SkipsWholePacket(const AVPacket* packet) {
  size_t size = 0;
  const uint8_t* skip = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
  if (!skip || size < 4 || packet->duration <= 0) return false;
  const uint32_t samples = uint32_t(skip[0]) | uint32_t(skip[1]) << 8 | uint32_t(skip[2]) << 16 |
                           uint32_t(skip[3]) << 24;
  const AVStream* stream = item.format->streams[item.audio];
  const int64_t packetSamples =
      av_rescale_q(packet->duration, stream->time_base, {1, stream->codecpar->sample_rate});
  return samples >= packetSamples;
}

void ConvertAudio(AVPacket* packet) {
  const AVStream* stream = item.format->streams[item.audio];
  const double time = PacketTime(packet, stream->time_base);
  const double end = time + Seconds(packet->duration, stream->time_base);
  if (!std::isnan(time)) item.audioTime = time;
  if (end <= item.audioFrom) return;  // before the point a seek landed on
  if (item.audioCode.framing != AudioFraming::Decoded && SkipsWholePacket(packet)) return;
  if (item.audioCode.framing == AudioFraming::Decoded)
    return DecodeToPcm(&item.pcm, packet, &item.audioBytes);
  if (item.addAdts && !StartsWithAdts(packet->data, size_t(packet->size))) {
    uint8_t header[kAdtsHeaderBytes];
    WriteAdtsHeader(item.adts, size_t(packet->size), header);
    item.audioBytes.append(reinterpret_cast<char*>(header), sizeof header);
  }
  item.audioBytes.append(reinterpret_cast<char*>(packet->data), size_t(packet->size));
}

bool NextAudioBytes() {
  item.audioBytes.clear();
  item.audioRead = 0;
  while (item.audioBytes.empty()) {
    if (!Fill(&item.audioQueue)) return false;
    AVPacket* packet = Pop(&item.audioQueue);
    ConvertAudio(packet);
    av_packet_free(&packet);
  }
  return true;
}

// Bytes per second of the stream as ReadAudio delivers it.
double AudioBytesPerSecond(const AVStream* stream) {
  if (item.audioCode.framing == AudioFraming::Decoded)
    return double(item.pcm.sampleRate) * item.pcm.channels * kPcmSampleBytes;
  const int64_t bitrate =
      stream->codecpar->bit_rate > 0 ? stream->codecpar->bit_rate : item.format->bit_rate;
  return double(std::max<int64_t>(bitrate, 0)) / 8;
}

// A damaged header can claim any rate and duration: products of them are capped where the
// player's 32-bit fields cap them anyway.
int32_t CappedToInt32(double value) {
  return int32_t(std::min(value, double(INT32_MAX)));
}

// The stream's length in delivered bytes: counted from an index that lists every packet, else
// its duration at its byte rate.
int64_t AudioBytes(AVStream* stream) {
  if (item.duration <= 0)
    return AUDIO_LENGTH_UNKNOWN;  // unknown length: the audio plays until it ends
  const int entries = avformat_index_get_entries_count(stream);
  if (item.audioCode.framing != AudioFraming::Decoded && entries > 0 &&
      entries == stream->nb_frames) {
    int64_t total = 0;
    for (int i = 0; i < entries; ++i)
      total += avformat_index_get_entry(stream, i)->size + (item.addAdts ? kAdtsHeaderBytes : 0);
    return total;
  }
  return CappedToInt32(item.duration * AudioBytesPerSecond(stream));
}

bool OpenAudio(int32_t* lengthBytes) {
  AVStream* stream = item.format->streams[item.audio];
  const AVCodecParameters* parameters = stream->codecpar;
  item.audioCode = AudioCodeFor(parameters->codec_id);
  if (item.audioCode.framing == AudioFraming::Adts)
    item.addAdts = ReadAudioSpecificConfig(
        parameters->extradata, size_t(std::max(parameters->extradata_size, 0)), &item.adts);
  if (item.audioCode.framing == AudioFraming::Decoded && !OpenPcmDecoder(parameters, &item.pcm))
    return false;
  const bool decoded = item.audioCode.framing == AudioFraming::Decoded;
  descriptor.AudioFormatTag = item.audioCode.tag;
  descriptor.Channels = decoded ? item.pcm.channels : parameters->ch_layout.nb_channels;
  descriptor.SampleRate = decoded ? item.pcm.sampleRate : parameters->sample_rate;
  descriptor.PcmBitrate = decoded ? CappedToInt32(AudioBytesPerSecond(stream) * 8) : 0;
  *lengthBytes = int32_t(std::clamp<int64_t>(AudioBytes(stream), 1, INT32_MAX));
  return true;
}

// ---- video ----

double FrameRate(AVStream* stream) {
  const double guessed = av_q2d(av_guess_frame_rate(item.format, stream, nullptr));
  if (guessed > 0 && guessed <= kMaxFrameRate) return guessed;
  const double average = av_q2d(stream->avg_frame_rate);
  return average > 0 && average <= kMaxFrameRate ? average : kDefaultFrameRate;
}

bool OpenVideo(int32_t parameter) {
  AVStream* stream = item.format->streams[item.video];
  const AVCodecParameters* parameters = stream->codecpar;
  const VideoCode* code = VideoCodeFor(parameters->codec_id);
  if (!code || parameters->width <= 0 || parameters->height <= 0) return false;
  if (code->bitstreamFilter) {
    const AVBitStreamFilter* kind = av_bsf_get_by_name(code->bitstreamFilter);
    if (!kind || av_bsf_alloc(kind, &item.filter) < 0 ||
        avcodec_parameters_copy(item.filter->par_in, parameters) < 0)
      return false;
    item.filter->time_base_in = stream->time_base;
    if (av_bsf_init(item.filter) < 0) return false;
  }
  const PictureSize size = FitPicture({.width = parameters->width, .height = parameters->height},
                                      LargestPicture(parameter));
  descriptor.Width = size.width;
  descriptor.Height = size.height;
  descriptor.FramesPerSecond = FrameRate(stream);
  std::copy(code->fourCC, code->fourCC + 4, descriptor.FourCC);
  // The slots of the whole duration, and at least one per frame the header counts; a stream
  // of unknown length (an AVI still being recorded) plays until its packets end.
  const double slots = std::max<double>(std::lround(item.duration * descriptor.FramesPerSecond),
                                        double(stream->nb_frames));
  descriptor.FrameCount =
      item.duration > 0 ? int32_t(std::clamp<double>(slots, 1, INT32_MAX)) : INT32_MAX;
  descriptor.KeyFrameThreshold = kPacketBufferBytes;  // every delivered packet is asked about
  return true;
}

void RememberKey(int32_t frame, bool key) {
  int32_t& slot = item.keyFrames[size_t(frame) % kRememberedKeys];
  slot = key ? frame + 1 : 0;
}

// The player's other threads read CurrentFrame at any time: it is written whole.
void SetCurrentFrame(int32_t frame) {
  std::atomic_ref<int32_t>(descriptor.CurrentFrame).store(frame, std::memory_order_relaxed);
}

// Delivers the packet due in the current frame slot: a packet whose time has not come leaves
// the slot empty; a packet too large for the player's buffer is dropped with what depends on it.
int32_t NextVideoPacket(uint8_t* destination) {
  const int32_t slot = descriptor.CurrentFrame;
  SetCurrentFrame(slot + 1);
  if (!Fill(&item.videoQueue)) return -1;
  const AVStream* stream = item.format->streams[item.video];
  AVPacket* packet = item.videoQueue.packets.front();
  const double time = PacketTime(packet, stream->time_base) - item.videoOrigin;
  if (time > (slot + 0.5) / descriptor.FramesPerSecond) return 0;
  packet = Pop(&item.videoQueue);
  const bool key = packet->flags & AV_PKT_FLAG_KEY;
  if (packet->size > kPacketBufferBytes) item.waitForKey = true;
  if (item.waitForKey && key && packet->size <= kPacketBufferBytes) item.waitForKey = false;
  const int32_t size = item.waitForKey ? 0 : packet->size;
  if (size > 0) std::copy(packet->data, packet->data + size, destination);
  RememberKey(slot, key && size > 0);
  av_packet_free(&packet);
  return size;
}

// ---- opening ----

void ReadChapters() {
  const unsigned count = std::min<unsigned>(item.format->nb_chapters, MAX_CHAPTERS);
  for (unsigned i = 0; i < count; ++i) {
    const AVDictionaryEntry* title =
        av_dict_get(item.format->chapters[i]->metadata, "title", nullptr, 0);
    const std::u16string name =
        title ? Utf8ToWide(title->value) : u"Chapter " + Utf8ToWide(std::to_string(i + 1));
    WideCopy(descriptor.ChapterNames[i], CHAPTER_NAME_CHARS, name);
  }
  descriptor.ChapterCount = int32_t(count);
}

double Duration() {
  if (item.format->duration > 0) return double(item.format->duration) / AV_TIME_BASE;
  for (const int index : {item.video, item.audio}) {
    if (index < 0) continue;
    const AVStream* stream = item.format->streams[index];
    if (stream->duration > 0) return Seconds(stream->duration, stream->time_base);
  }
  return 0;
}

// The time of the first video packet: frame slot 0.
void FindVideoOrigin() {
  if (descriptor.FrameCount == 0 || !Fill(&item.videoQueue)) return;
  const double time =
      PacketTime(item.videoQueue.packets.front(), item.format->streams[item.video]->time_base);
  item.videoOrigin = std::isnan(time) ? 0 : time;
}

bool OpenFile(const std::string& path, int32_t parameter) {
  item.format = avformat_alloc_context();
  if (!item.format) return false;
  if (kReaderFlavour.ignoreIndex) item.format->flags |= AVFMT_FLAG_IGNIDX;
  item.format->interrupt_callback = {.callback = Interrupted, .opaque = nullptr};
  ArmDeadline();
  const AVInputFormat* only =
      kReaderFlavour.inputFormat ? av_find_input_format(kReaderFlavour.inputFormat) : nullptr;
  const std::string source = kReaderFlavour.source ? kReaderFlavour.source(path) : path;
  // A local FIFO or device would block libavformat's open until a writer comes, if ever.
  const bool local = source.find("://") == std::string::npos;
  if (local && !IsReadableRegularFile(source)) return false;
  if (avformat_open_input(&item.format, source.c_str(), only, nullptr) < 0 ||
      avformat_find_stream_info(item.format, nullptr) < 0)
    return false;
  item.video = av_find_best_stream(item.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  item.audio = av_find_best_stream(item.format, AVMEDIA_TYPE_AUDIO, -1, item.video, nullptr, 0);
  item.duration = Duration();
  if (item.format->start_time != AV_NOPTS_VALUE)
    item.startTime = double(item.format->start_time) / AV_TIME_BASE;
  int32_t audioLength = 0;
  if (item.video >= 0 && !OpenVideo(parameter)) descriptor.FrameCount = 0;
  if (item.audio >= 0 && !OpenAudio(&audioLength)) audioLength = 0;
  descriptor.AudioLength = audioLength;
  if (descriptor.FrameCount == 0) item.video = -1;
  if (descriptor.AudioLength == 0) item.audio = -1;
  descriptor.FreeRunning = kReaderFlavour.live;
  ReadChapters();
  FindVideoOrigin();
  return descriptor.FrameCount > 0 || descriptor.AudioLength > 0;
}

// ---- repositioning ----

// The audio span from the moment `time` (in the file's timestamps) to the end.
int32_t RemainingAudioSpan(double time) {
  const double played = time - item.startTime;
  const double share = item.duration > 0 ? std::clamp(1 - played / item.duration, 0.0, 1.0) : 1;
  return int32_t(std::max<double>(1, descriptor.AudioLength * share));
}

void ForgetQueued() {
  Clear(&item.videoQueue);
  Clear(&item.audioQueue);
  item.audioBytes.clear();
  item.audioRead = 0;
  if (item.filter) av_bsf_flush(item.filter);
  FlushPcmDecoder(&item.pcm);
  item.demuxEnded = false;
  item.waitForKey = false;
}

// After a seek of the video: the first key frame from where the demuxer stands. Its slot
// becomes CurrentFrame and its time the point where the audio resumes.
double LandOnKeyFrame() {
  const AVStream* stream = item.format->streams[item.video];
  while (Fill(&item.videoQueue)) {
    AVPacket* packet = item.videoQueue.packets.front();
    if (packet->flags & AV_PKT_FLAG_KEY) {
      const double time = PacketTime(packet, stream->time_base);
      const double fromOrigin = std::isnan(time) ? 0 : time - item.videoOrigin;
      SetCurrentFrame(
          std::clamp<int32_t>(int32_t(std::lround(fromOrigin * descriptor.FramesPerSecond)), 0,
                              descriptor.FrameCount - 1));
      const double shown = Seconds(packet->pts, stream->time_base);
      return std::isnan(shown) ? time : shown;
    }
    packet = Pop(&item.videoQueue);
    av_packet_free(&packet);
  }
  SetCurrentFrame(descriptor.FrameCount);
  return item.startTime + item.duration;
}

// Moves both streams to `seconds` from the start: the video to the key frame at or before it.
// A demuxer that seeks by bytes (MPEG-TS) may land past that key frame: the seek is repeated
// from further back until it does not.
int32_t SeekToTime(double seconds) {
  if (!item.format) return 1;
  if (kReaderFlavour.live) return RemainingAudioSpan(item.audioTime);  // a broadcast goes on
  const int index = item.video >= 0 ? item.video : item.audio;
  const AVStream* stream = item.format->streams[index];
  const double target = item.startTime + std::max(seconds, 0.0);
  const double lateness = descriptor.FramesPerSecond > 0 ? 0.5 / descriptor.FramesPerSecond : 0;
  double from = target;
  for (int attempt = 0; attempt < kSeekAttempts; ++attempt) {
    ForgetQueued();
    const int64_t timestamp = std::llround(from / av_q2d(stream->time_base));
    if (av_seek_frame(item.format, index, timestamp, AVSEEK_FLAG_BACKWARD) < 0)
      av_seek_frame(item.format, index, timestamp, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
    item.audioFrom = item.video >= 0 ? LandOnKeyFrame() : target;
    if (item.audioFrom <= target + lateness || from <= item.startTime) break;
    from = std::max(item.startTime, from - (item.audioFrom - target) - kSeekStepBack);
  }
  return RemainingAudioSpan(item.audioFrom);
}

// ---- entry points ----

int32_t OpenItem(const char16_t* path, int32_t, int32_t parameter, MediaDescriptor** out) {
  std::lock_guard<std::mutex> hold(readerLock);
  CloseItem();
  *out = &descriptor;
  if (path && OpenFile(WideToUtf8(WideView(path)), parameter)) return 1;
  CloseItem();
  return 0;
}

// Fills the whole request unless the audio ends: the audio thread reads its header buffer in
// one call.
int32_t ReadAudio(uint8_t* destination, int32_t length) {
  std::lock_guard<std::mutex> hold(readerLock);
  if (item.audio < 0 || length <= 0) return 0;
  int32_t copied = 0;
  while (copied < length) {
    if (item.audioRead == item.audioBytes.size() && !NextAudioBytes()) break;
    const size_t count = std::min(size_t(length - copied), item.audioBytes.size() - item.audioRead);
    std::copy_n(item.audioBytes.data() + item.audioRead, count, destination + copied);
    item.audioRead += count;
    copied += int32_t(count);
  }
  return copied;
}

int32_t ReadVideoFrame(uint8_t* destination, int32_t) {
  std::lock_guard<std::mutex> hold(readerLock);
  if (item.video < 0 || descriptor.CurrentFrame >= descriptor.FrameCount) return -1;
  return NextVideoPacket(destination);
}

int32_t Seek(int32_t position, int32_t mode) {
  std::lock_guard<std::mutex> hold(readerLock);
  // A percentage of a video item counts its frames, as the player's time display does.
  const bool video = item.video >= 0 && descriptor.FramesPerSecond > 0;
  const double percent = std::clamp(position, 0, kMaxSeekPercent) / 100.0;
  const double seconds = !video ? percent * item.duration
                         : mode == SEEK_BY_FRAME
                             ? position / descriptor.FramesPerSecond
                             : percent * descriptor.FrameCount / descriptor.FramesPerSecond;
  return SeekToTime(seconds);
}

int32_t SeekChapter(int32_t chapter) {
  std::lock_guard<std::mutex> hold(readerLock);
  if (!item.format || descriptor.ChapterCount == 0) return 1;
  const AVChapter* entry =
      item.format->chapters[std::clamp(chapter, 0, descriptor.ChapterCount - 1)];
  return SeekToTime(Seconds(entry->start, entry->time_base));
}

// The audio follows the video to CurrentFrame: audio queued before that time is dropped.
int32_t ResyncAudio() {
  std::lock_guard<std::mutex> hold(readerLock);
  if (item.video < 0) return RemainingAudioSpan(item.audioTime);
  item.audioFrom = item.videoOrigin + descriptor.CurrentFrame / descriptor.FramesPerSecond;
  item.audioBytes.clear();
  item.audioRead = 0;
  FlushPcmDecoder(&item.pcm);
  return RemainingAudioSpan(item.audioFrom);
}

double GetProgress() {
  std::lock_guard<std::mutex> hold(readerLock);
  if (descriptor.FrameCount > 0) return descriptor.CurrentFrame * 100.0 / descriptor.FrameCount;
  const double played = item.audioTime - item.startTime;
  return item.duration > 0 ? std::clamp(played / item.duration, 0.0, 1.0) * 100 : 0;
}

int32_t Close() {
  std::lock_guard<std::mutex> hold(readerLock);
  CloseItem();
  return 1;
}

int32_t IsKeyFrame(int32_t frame) {
  std::lock_guard<std::mutex> hold(readerLock);
  return frame >= 0 && item.keyFrames[size_t(frame) % kRememberedKeys] == frame + 1;
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
  table->SeekChapter = SeekChapter;
  return 1;
}
