#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const auto startTime = std::chrono::steady_clock::now();
std::atomic<bool> tickDriven{false};
std::atomic<uint32_t> drivenTicks{0};

}  // namespace

uint32_t GetTickCount() {
  if (tickDriven.load()) return drivenTicks.load();
  const auto elapsed = std::chrono::steady_clock::now() - startTime;
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void DriveTickCount(uint32_t ticks) {
  drivenTicks = ticks;
  tickDriven = true;
}

void ReleaseTickCount() {
  tickDriven = false;
}

void Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
