#include "platform/system_metrics.h"

#include <atomic>

namespace {

constexpr int32_t kDefaultWidth = 640;
constexpr int32_t kDefaultHeight = 480;
std::atomic<int32_t> metricsWidth{kDefaultWidth};
std::atomic<int32_t> metricsHeight{kDefaultHeight};

}  // namespace

int32_t GetSystemMetrics(int32_t index) {
  if (index == SM_CXSCREEN) return metricsWidth;
  if (index == SM_CYSCREEN) return metricsHeight;
  return 0;
}

void SetScreenMetrics(int32_t width, int32_t height) {
  metricsWidth = width;
  metricsHeight = height;
}
