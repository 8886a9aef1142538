#include "platform/screen.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/backend.h"
#include "platform/backend_table.h"
#include "platform/message_queue.h"
#include "platform/system_metrics.h"
#include "platform/text.h"

namespace {

// Whole-screen work waits at most this long for a frame-buffer write to end, then goes on anyway.
constexpr std::chrono::milliseconds kHoldWait{500};

// Written on the main thread by OpenScreen/CloseScreen before or after drawing; read by all.
std::mutex surfaceLock;
std::vector<uint16_t> surface;
std::atomic<uint16_t*> pixels{nullptr};
std::atomic<int32_t> width{0}, height{0};
std::atomic<bool> powerOn{true};
// Held from BeginDraw to EndDraw (video and main thread; a thread may nest brackets), and by
// whole-screen work between frames.
std::recursive_mutex frameLock;

void EnsureScreen() {
  if (!pixels.load()) OpenScreen(kDefaultScreenWidth, kDefaultScreenHeight);
}

}  // namespace

bool OpenScreen(int32_t newWidth, int32_t newHeight) {
  if (newWidth < 1 || newHeight < 1) return false;
  std::lock_guard<std::mutex> hold(surfaceLock);
  surface.assign(static_cast<size_t>(newWidth) * newHeight, 0);
  width = newWidth;
  height = newHeight;
  pixels = surface.data();
  powerOn = true;
  SetScreenMetrics(newWidth, newHeight);
  return true;
}

void CloseScreen() {
  std::lock_guard<std::mutex> hold(surfaceLock);
  pixels = nullptr;
  width = height = 0;
  surface.clear();
  surface.shrink_to_fit();
}

uint16_t* ScreenPixels() {
  EnsureScreen();
  return pixels.load();
}

int32_t ScreenWidth() {
  EnsureScreen();
  return width.load();
}

int32_t ScreenHeight() {
  EnsureScreen();
  return height.load();
}

bool SystemParametersInfo(uint32_t action, uint32_t bytes, void* buffer) {
  if (action != SPI_GETOEMINFO || bytes < 2 * sizeof(char16_t) || !buffer) return false;
  WideCopy(static_cast<char16_t*>(buffer), bytes / sizeof(char16_t), Utf8ToWide(BackendName()));
  return true;
}

void PresentScreen() {
  ActiveBackend().present();
}

void SetDisplayPower(bool on) {
  if (powerOn.exchange(on) != on) PresentScreen();
}

bool DisplayPowerOn() {
  return powerOn.load();
}

void EnterFrameWrite() {
  frameLock.lock();
}
void LeaveFrameWrite() {
  frameLock.unlock();
}

// Polls rather than waiting on a timed lock, which the thread sanitizer cannot follow.
ScreenHold::ScreenHold() : held_(frameLock.try_lock()) {
  const auto start = std::chrono::steady_clock::now();
  while (!held_ && std::chrono::steady_clock::now() - start < kHoldWait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    held_ = frameLock.try_lock();
  }
}

ScreenHold::~ScreenHold() {
  if (held_) frameLock.unlock();
}

std::vector<uint16_t> CaptureScreen() {
  const ScreenHold hold;
  std::vector<uint16_t> copy(static_cast<size_t>(ScreenWidth()) * ScreenHeight(), 0);
  if (DisplayPowerOn()) std::copy_n(ScreenPixels(), copy.size(), copy.begin());
  return copy;
}
