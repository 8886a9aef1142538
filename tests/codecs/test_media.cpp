#include "tests/codecs/test_media.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// CTest runs the tests as parallel processes: each makes its media in a folder of its own,
// removed when the process ends (never destroyed itself, so the exit handler can read it).
const std::string& MediaFolder() {
  static const std::string* folder = [] {
    std::string pattern = std::string(MORVELANT_DIST_DIR) + "/../tests/codec-media-XXXXXX";
    auto* made = new std::string(mkdtemp(pattern.data()));
    std::atexit([] { std::filesystem::remove_all(MediaFolder()); });
    return made;
  }();
  return *folder;
}

}  // namespace

std::string MakeTestMedia(const std::string& fileName, const std::string& ffmpegArgs) {
  const std::string& folder = MediaFolder();
  const std::string path = folder + "/" + fileName;
  const std::string command =
      "ffmpeg -nostdin -loglevel error -y " + ffmpegArgs + " '" + path + "' 2>/dev/null";
  return std::system(command.c_str()) == 0 ? path : "";
}

DemuxedStream::~DemuxedStream() {
  avcodec_parameters_free(&parameters);
}

bool DemuxStream(const std::string& path, int mediaType, DemuxedStream* stream) {
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return false;
  const int index = avformat_find_stream_info(format, nullptr) < 0
                        ? -1
                        : av_find_best_stream(format, AVMediaType(mediaType), -1, -1, nullptr, 0);
  if (index >= 0) {
    stream->parameters = avcodec_parameters_alloc();
    avcodec_parameters_copy(stream->parameters, format->streams[index]->codecpar);
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
      if (packet->stream_index == index)
        stream->packets.emplace_back(packet->data, packet->data + packet->size);
      av_packet_unref(packet);
    }
    av_packet_free(&packet);
  }
  avformat_close_input(&format);
  return index >= 0;
}

std::vector<uint8_t> JoinPackets(const DemuxedStream& stream) {
  std::vector<uint8_t> bytes;
  for (const auto& packet : stream.packets) bytes.insert(bytes.end(), packet.begin(), packet.end());
  return bytes;
}

AudioByteSource ByteSourceOver(const uint8_t* data, size_t size) {
  auto cursor = std::make_shared<size_t>(0);
  return [=](uint8_t* destination, int32_t length) {
    const size_t count = std::min(size - *cursor, static_cast<size_t>(length));
    std::memcpy(destination, data + *cursor, count);
    *cursor += count;
    return static_cast<int32_t>(count);
  };
}

std::vector<uint8_t> DrainMpg123(mpg123_handle* handle) {
  std::vector<uint8_t> pcm;
  unsigned char block[16384];
  size_t done = 0;
  int result = MPG123_OK;
  while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
    result = mpg123_read(handle, block, sizeof block, &done);
    pcm.insert(pcm.end(), block, block + done);
  }
  mpg123_delete(handle);
  return pcm;
}
