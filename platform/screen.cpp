#include "platform/screen.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
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
// Owned from BeginDraw to EndDraw (video and main thread; a thread may nest brackets), and by
// drawing on the screen between frames. A mutex and a condition rather than a timed recursive
// mutex: the thread sanitizer follows these, and a waiter wakes the moment a frame ends.
struct FrameLock {
  std::mutex guard;
  std::condition_variable released;
  std::thread::id owner;  // written and read under guard
  int32_t depth = 0;      // written and read under guard
};
FrameLock frameLock;

// Takes the frame lock for this thread, waiting at most `wait` (forever when nullopt).
bool TakeFrameLock(std::optional<std::chrono::milliseconds> wait) {
  std::unique_lock<std::mutex> hold(frameLock.guard);
  const std::thread::id self = std::this_thread::get_id();
  const auto free = [&] { return frameLock.depth == 0 || frameLock.owner == self; };
  if (!wait)
    frameLock.released.wait(hold, free);
  else if (!frameLock.released.wait_for(hold, *wait, free))
    return false;
  frameLock.owner = self;
  ++frameLock.depth;
  return true;
}

void GiveFrameLock() {
  {
    const std::lock_guard<std::mutex> hold(frameLock.guard);
    if (frameLock.depth == 0 || frameLock.owner != std::this_thread::get_id()) return;
    if (--frameLock.depth == 0) frameLock.owner = {};
  }
  frameLock.released.notify_all();
}

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
  TakeFrameLock(std::nullopt);
}
void LeaveFrameWrite() {
  GiveFrameLock();
}

ScreenHold::ScreenHold(bool needed) : held_(needed && TakeFrameLock(kHoldWait)) {}

ScreenHold::~ScreenHold() {
  if (held_) GiveFrameLock();
}

std::vector<uint16_t> CaptureScreen() {
  const ScreenHold hold;
  std::vector<uint16_t> copy(static_cast<size_t>(ScreenWidth()) * ScreenHeight(), 0);
  if (DisplayPowerOn()) std::copy_n(ScreenPixels(), copy.size(), copy.begin());
  return copy;
}
