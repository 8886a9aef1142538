// The sound device through its paced outputs: order, callbacks, pause, reset, volume, real
// time and refusals.
#include "platform/wave_out.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "../platform/temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kRate = 8000;
constexpr auto kGenerous = std::chrono::seconds(10);

// What the callback saw, in order, with the time each buffer came back.
struct Record {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<uint32_t> messages;
  std::vector<WaveHeader*> done;
  std::vector<Clock::time_point> doneAt;
};

void OnSound(WaveOutHandle, uint32_t message, uintptr_t instance, uintptr_t header, uintptr_t) {
  auto* record = reinterpret_cast<Record*>(instance);
  std::lock_guard<std::mutex> hold(record->lock);
  record->messages.push_back(message);
  if (message == WOM_DONE) {
    record->done.push_back(reinterpret_cast<WaveHeader*>(header));
    record->doneAt.push_back(Clock::now());
  }
  record->changed.notify_all();
}

bool WaitForDone(Record* record, size_t count) {
  std::unique_lock<std::mutex> hold(record->lock);
  return record->changed.wait_for(hold, kGenerous, [&] { return record->done.size() >= count; });
}

WaveFormat Pcm(uint16_t channels) {
  return {.formatTag = WAVE_FORMAT_PCM,
          .channels = channels,
          .samplesPerSec = kRate,
          .avgBytesPerSec = kRate * channels * 2,
          .blockAlign = static_cast<uint16_t>(channels * 2),
          .bitsPerSample = 16};
}

// A buffer of `bytes` bytes counting up from `seed`.
struct Buffer {
  std::vector<char> bytes;
  WaveHeader header{};
  Buffer(size_t size, int seed) : bytes(size) {
    for (char& byte : bytes) byte = static_cast<char>(seed++);
    header.data = bytes.data();
    header.bufferLength = header.bytesRecorded = static_cast<uint32_t>(size);
  }
};

void Queue(WaveOutHandle device, Buffer* buffer) {
  ASSERT_EQ(WaveOutPrepareHeader(device, &buffer->header, sizeof(WaveHeader)), MMSYSERR_NOERROR);
  ASSERT_EQ(WaveOutWrite(device, &buffer->header, sizeof(WaveHeader)), MMSYSERR_NOERROR);
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

uint32_t Le32(const std::string& bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

struct WaveOutTest : ::testing::Test {
  TempFolder folder;
  Record record;
  WaveOutHandle device = nullptr;

  void Open(const std::string& kind, uint16_t channels = 1) {
    ASSERT_TRUE(OpenSoundOutput(kind, "null"));
    const WaveFormat format = Pcm(channels);
    ASSERT_EQ(WaveOutOpen(&device, WAVE_MAPPER, &format, OnSound,
                          reinterpret_cast<uintptr_t>(&record), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
  }
  void TearDown() override {
    if (device) {
      WaveOutReset(device);
      WaveOutClose(device);
    }
    CloseSoundOutput();
    WaveOutSetVolume(nullptr, 0xFFFFFFFF);
  }
};

TEST_F(WaveOutTest, WavWriterKeepsBytesAndCallbacksInOrder) {
  const std::string path = folder / "out.wav";
  Open("wav:" + path);
  std::vector<std::unique_ptr<Buffer>> buffers;
  std::string expected;
  for (int i = 0; i < 5; ++i) {
    buffers.push_back(std::make_unique<Buffer>(400 + 2 * i, 37 * i));  // 25 ms and a bit each
    expected.append(buffers.back()->bytes.begin(), buffers.back()->bytes.end());
    Queue(device, buffers.back().get());
  }
  ASSERT_TRUE(WaitForDone(&record, 5));
  EXPECT_EQ(WaveOutClose(device), MMSYSERR_NOERROR);
  device = nullptr;
  CloseSoundOutput();
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(record.done[i], &buffers[i]->header);
    EXPECT_EQ(buffers[i]->header.flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
  }
  const std::vector<uint32_t> messages = {WOM_OPEN, WOM_DONE, WOM_DONE, WOM_DONE,
                                          WOM_DONE, WOM_DONE, WOM_CLOSE};
  EXPECT_EQ(record.messages, messages);
  const std::string wav = ReadFile(path);
  ASSERT_EQ(wav.size(), 44 + expected.size());
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le32(wav, 24), kRate);
  EXPECT_EQ(Le32(wav, 40), expected.size());
  EXPECT_TRUE(wav.substr(44) == expected);
}

TEST_F(WaveOutTest, PauseHoldsRestartResumesResetReturnsEverythingAtOnce) {
  Open("null");
  Buffer first(160, 1), second(160, 2), third(160, 3);
  ASSERT_EQ(WaveOutPause(device), MMSYSERR_NOERROR);
  Queue(device, &first);
  Queue(device, &second);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // 4 times their duration
  {
    std::lock_guard<std::mutex> hold(record.lock);
    EXPECT_TRUE(record.done.empty());
  }
  EXPECT_EQ(WaveOutUnprepareHeader(device, &first.header, sizeof(WaveHeader)), WAVERR_STILLPLAYING);
  EXPECT_EQ(WaveOutClose(device), WAVERR_STILLPLAYING);
  ASSERT_EQ(WaveOutRestart(device), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitForDone(&record, 2));

  // Paused with three queued: reset hands all three back before it returns, in order.
  WaveOutPause(device);
  Queue(device, &first);
  Queue(device, &second);
  Queue(device, &third);
  ASSERT_EQ(WaveOutReset(device), MMSYSERR_NOERROR);
  {
    std::lock_guard<std::mutex> hold(record.lock);
    ASSERT_EQ(record.done.size(), 5u);
    EXPECT_EQ(record.done[2], &first.header);
    EXPECT_EQ(record.done[3], &second.header);
    EXPECT_EQ(record.done[4], &third.header);
  }
  EXPECT_EQ(WaveOutUnprepareHeader(device, &third.header, sizeof(WaveHeader)), MMSYSERR_NOERROR);
  EXPECT_EQ(WaveOutWrite(device, &third.header, sizeof(WaveHeader)), WAVERR_UNPREPARED);
}

TEST_F(WaveOutTest, VolumeScalesEachChannel) {
  const std::string path = folder / "volume.wav";
  Open("wav:" + path, 2);
  ASSERT_EQ(WaveOutSetVolume(device, 0x40008000), MMSYSERR_NOERROR);  // right 1/4, left 1/2
  uint32_t volume = 0;
  WaveOutGetVolume(nullptr, &volume);
  EXPECT_EQ(volume, 0x40008000u);
  const int16_t samples[] = {1000, 1000, -2000, -2000, 32767, -32768};
  Buffer buffer(sizeof samples, 0);
  std::memcpy(buffer.bytes.data(), samples, sizeof samples);
  Queue(device, &buffer);
  ASSERT_TRUE(WaitForDone(&record, 1));
  WaveOutClose(device);
  device = nullptr;
  CloseSoundOutput();
  const std::string wav = ReadFile(path);
  ASSERT_EQ(wav.size(), 44 + sizeof samples);
  int16_t out[6];
  std::memcpy(out, wav.data() + 44, sizeof out);
  const int16_t expected[] = {500, 250, -1000, -500, 16383, -8192};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

TEST_F(WaveOutTest, NullDeviceKeepsRealTime) {
  Open("null");
  constexpr int kBuffers = 20;
  constexpr auto kEach = std::chrono::milliseconds(100);  // 1600 bytes at 8000 Hz mono
  std::vector<std::unique_ptr<Buffer>> buffers;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < kBuffers; ++i) {
    buffers.push_back(std::make_unique<Buffer>(1600, i));
    Queue(device, buffers.back().get());
  }
  ASSERT_TRUE(WaitForDone(&record, kBuffers));
  for (int i = 0; i < kBuffers; ++i)
    EXPECT_GE(record.doneAt[i] - start, kEach * (i + 1)) << "buffer " << i << " came back early";
  EXPECT_LT(record.doneAt.back() - start, std::chrono::seconds(2) + std::chrono::seconds(3));
}

// A seek resets the device mid-buffer and queues new sound at once: the time that passed before
// the reset is not credited to the new buffer.
TEST_F(WaveOutTest, NullDeviceRestartsItsTimeAfterAReset) {
  Open("null");
  Buffer playing(16000, 1), next(3200, 2);  // 1 s, then 200 ms at 8000 Hz mono
  Queue(device, &playing);
  std::this_thread::sleep_for(std::chrono::milliseconds(330));
  ASSERT_EQ(WaveOutReset(device), MMSYSERR_NOERROR);
  const Clock::time_point queued = Clock::now();
  Queue(device, &next);
  ASSERT_TRUE(WaitForDone(&record, 2));
  EXPECT_EQ(record.done[1], &next.header);
  EXPECT_GE(record.doneAt[1] - queued, std::chrono::milliseconds(200));
}

TEST_F(WaveOutTest, RefusalsReachTheCallerWithTheirCodes) {
  ASSERT_TRUE(OpenSoundOutput("null", "null"));
  const WaveFormat good = Pcm(2);
  WaveFormat eightBit = good;
  eightBit.bitsPerSample = 8;
  InjectWaveOutRefusals({MMSYSERR_ALLOCATED, WAVERR_BADFORMAT, 7});
  for (uint32_t expected : {MMSYSERR_ALLOCATED, WAVERR_BADFORMAT, 7u}) {
    EXPECT_EQ(WaveOutOpen(&device, WAVE_MAPPER, &good, OnSound, 0, CALLBACK_FUNCTION), expected);
    EXPECT_EQ(device, nullptr);
  }
  EXPECT_EQ(WaveOutOpen(&device, 0, &eightBit, OnSound, 0, CALLBACK_FUNCTION), WAVERR_BADFORMAT);
  EXPECT_EQ(WaveOutOpen(&device, 3, &good, OnSound, 0, CALLBACK_FUNCTION), MMSYSERR_BADDEVICEID);
  ASSERT_EQ(WaveOutOpen(&device, 0, &good, nullptr, 0, 0), MMSYSERR_NOERROR);
  WaveOutHandle second = nullptr;
  EXPECT_EQ(WaveOutOpen(&second, WAVE_MAPPER, &good, nullptr, 0, 0), MMSYSERR_ALLOCATED);
  EXPECT_FALSE(OpenSoundOutput("speaker", "null"));
}

}  // namespace
