#include "platform/screen.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/backend.h"
#include "platform/backend_table.h"
#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform/system_metrics.h"
#include "platform/text.h"

namespace {

// A capture waits at most this long for frame-buffer writes to end, then copies anyway.
constexpr uint32_t kCaptureWaitMs = 500;

// Written on the main thread by OpenScreen/CloseScreen before or after drawing; read by all.
std::mutex surfaceLock;
std::vector<uint16_t> surface;
std::atomic<uint16_t*> pixels{nullptr};
std::atomic<int32_t> width{0}, height{0};
std::atomic<bool> powerOn{true};
std::atomic<int32_t> frameWrites{0};  // video thread and main thread: open BeginDraw brackets

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
  ++frameWrites;
}
void LeaveFrameWrite() {
  --frameWrites;
}

std::vector<uint16_t> CaptureScreen() {
  const uint64_t start = SteadyMilliseconds();
  while (frameWrites.load() > 0 && SteadyMilliseconds() - start < kCaptureWaitMs) Sleep(1);
  std::vector<uint16_t> copy(static_cast<size_t>(ScreenWidth()) * ScreenHeight(), 0);
  if (DisplayPowerOn()) std::copy_n(ScreenPixels(), copy.size(), copy.begin());
  return copy;
}
