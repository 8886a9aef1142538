#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/backend_table.h"
#include "platform/drawing_internal.h"
#include "platform/journal.h"
#include "platform/screen.h"

namespace {

constexpr int32_t kPowerRecordSize = 12;
constexpr uint32_t kPowerRecordVersion = 1;

Bitmap* NewBitmap(int32_t width, int32_t height) {
  auto* bitmap = new Bitmap{.width = width, .height = height};
  bitmap->storage.assign(static_cast<size_t>(width) * height, 0);
  bitmap->bits = bitmap->storage.data();
  return bitmap;
}

// One pixel of the target, or null outside its clip; (x, y) in context coordinates.
uint16_t* PixelAt(const DrawTarget& target, int32_t x, int32_t y) {
  const int32_t sx = x + target.originX, sy = y + target.originY;
  if (!target.bits || sx < target.clip.left || sx >= target.clip.right || sy < target.clip.top ||
      sy >= target.clip.bottom)
    return nullptr;
  return target.bits + static_cast<ptrdiff_t>(sy) * target.pitch + sx;
}

// A copy of the source rectangle, for a copy within one surface whose areas may overlap; the
// returned target keeps the source's coordinates (pixels outside its clip stay unread).
DrawTarget CopyOfSource(const DrawTarget& source, int32_t x, int32_t y, int32_t width,
                        int32_t height, std::vector<uint16_t>* copy) {
  const Rect area = Intersect({x + source.originX, y + source.originY, x + source.originX + width,
                               y + source.originY + height},
                              source.clip);
  if (IsEmpty(area)) return {};
  const int32_t w = area.right - area.left;
  copy->resize(static_cast<size_t>(w) * (area.bottom - area.top));
  for (int32_t row = area.top; row < area.bottom; ++row)
    std::copy_n(source.bits + static_cast<ptrdiff_t>(row) * source.pitch + area.left, w,
                copy->data() + static_cast<size_t>(row - area.top) * w);
  return {.bits = copy->data(),
          .pitch = w,
          .originX = source.originX - area.left,
          .originY = source.originY - area.top,
          .clip = {0, 0, w, area.bottom - area.top}};
}

void PresentIfScreen(DeviceContextHandle dc) {
  if (OnScreen(dc)) PresentScreen();
}

}  // namespace

Rect Intersect(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

DrawTarget TargetOf(DeviceContextHandle dc) {
  if (!dc) return {};
  if (dc->memory) {
    const Bitmap& b = *dc->bitmap;
    return {.bits = b.bits, .pitch = b.width, .clip = {0, 0, b.width, b.height}};
  }
  const Rect screen{0, 0, ScreenWidth(), ScreenHeight()};
  if (!dc->window) return {.bits = ScreenPixels(), .pitch = screen.right, .clip = screen};
  if (!IsWindow(dc->window)) return {};
  const Rect bounds = GetWindowRect(dc->window);
  return {.bits = ScreenPixels(),
          .pitch = screen.right,
          .originX = bounds.left,
          .originY = bounds.top,
          .clip = Intersect(bounds, screen)};
}

DeviceContextHandle GetDC(WindowHandle window) {
  return new DeviceContext{.window = window};
}

void ReleaseDC(WindowHandle, DeviceContextHandle dc) {
  PresentIfScreen(dc);
  delete dc;
}

DeviceContextHandle CreateCompatibleDC(DeviceContextHandle) {
  auto* dc = new DeviceContext{.memory = true};
  dc->defaultBitmap.reset(NewBitmap(1, 1));
  dc->bitmap = dc->defaultBitmap.get();
  return dc;
}

void DeleteDC(DeviceContextHandle dc) {
  delete dc;
}

int32_t GetDeviceCaps(DeviceContextHandle, int32_t index) {
  return index == LOGPIXELSX || index == LOGPIXELSY ? kPixelsPerInch : 0;
}

BitmapHandle CreateCompatibleBitmap(DeviceContextHandle, int32_t width, int32_t height) {
  if (width < 1 || height < 1) return nullptr;
  return NewBitmap(width, height);
}

BitmapHandle CreateBitmapOverBits(int32_t width, int32_t height, uint16_t* bits) {
  if (width < 1 || height < 1 || !bits) return nullptr;
  return new Bitmap{.width = width, .height = height, .bits = bits};
}

void DeleteBitmap(BitmapHandle bitmap) {
  delete bitmap;
}

Size GetBitmapSize(BitmapHandle bitmap) {
  return bitmap ? Size{bitmap->width, bitmap->height} : Size{0, 0};
}

uint16_t* GetBitmapBits(BitmapHandle bitmap) {
  return bitmap ? bitmap->bits : nullptr;
}

BitmapHandle SelectBitmap(DeviceContextHandle dc, BitmapHandle bitmap) {
  if (!dc || !dc->memory || !bitmap) return nullptr;
  const BitmapHandle previous = dc->bitmap;
  dc->bitmap = bitmap;
  return previous;
}

bool StretchBlt(DeviceContextHandle destination, int32_t x, int32_t y, int32_t width,
                int32_t height, DeviceContextHandle source, int32_t sourceX, int32_t sourceY,
                int32_t sourceWidth, int32_t sourceHeight) {
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return false;
  const ScreenHold hold(OnScreen(destination) || OnScreen(source));
  const DrawTarget to = TargetOf(destination);
  DrawTarget from = TargetOf(source);
  if (!to.bits || !from.bits) return false;
  std::vector<uint16_t> copy;
  if (from.bits == to.bits)
    from = CopyOfSource(from, sourceX, sourceY, sourceWidth, sourceHeight, &copy);
  for (int32_t row = 0; row < height; ++row) {
    const int32_t fromY = sourceY + static_cast<int32_t>(int64_t{row} * sourceHeight / height);
    for (int32_t column = 0; column < width; ++column) {
      uint16_t* out = PixelAt(to, x + column, y + row);
      if (!out) continue;
      const int32_t fromX = sourceX + static_cast<int32_t>(int64_t{column} * sourceWidth / width);
      if (const uint16_t* in = PixelAt(from, fromX, fromY)) *out = *in;
    }
  }
  PresentIfScreen(destination);
  return true;
}

bool BitBlt(DeviceContextHandle destination, int32_t x, int32_t y, int32_t width, int32_t height,
            DeviceContextHandle source, int32_t sourceX, int32_t sourceY) {
  return StretchBlt(destination, x, y, width, height, source, sourceX, sourceY, width, height);
}

void FillRect(DeviceContextHandle dc, const Rect& rect, uint32_t color) {
  const ScreenHold hold(OnScreen(dc));
  const DrawTarget target = TargetOf(dc);
  if (!target.bits) return;
  const Rect area = Intersect({rect.left + target.originX, rect.top + target.originY,
                               rect.right + target.originX, rect.bottom + target.originY},
                              target.clip);
  if (IsEmpty(area)) return;
  const uint16_t pixel = ColorToPixel(color);
  for (int32_t row = area.top; row < area.bottom; ++row)
    std::fill_n(target.bits + static_cast<ptrdiff_t>(row) * target.pitch + area.left,
                area.right - area.left, pixel);
  PresentIfScreen(dc);
}

uint32_t GetPixel(DeviceContextHandle dc, int32_t x, int32_t y) {
  const ScreenHold hold(OnScreen(dc));
  const uint16_t* pixel = PixelAt(TargetOf(dc), x, y);
  return pixel ? PixelToColor(*pixel) : CLR_INVALID;
}

void SetPixel(DeviceContextHandle dc, int32_t x, int32_t y, uint32_t color) {
  const ScreenHold hold(OnScreen(dc));
  if (uint16_t* pixel = PixelAt(TargetOf(dc), x, y)) *pixel = ColorToPixel(color);
}

int32_t ExtEscape(DeviceContextHandle, int32_t escape, int32_t inputSize, const void* input) {
  if (escape != SETPOWERMANAGEMENT) return 0;
  VideoPowerManagement record{};
  if (inputSize < kPowerRecordSize || !input) return -1;
  std::memcpy(&record, input, sizeof record);
  if (record.length < kPowerRecordSize || record.version != kPowerRecordVersion) return -1;
  if (record.powerState != VideoPowerOn && record.powerState != VideoPowerOff) return -1;
  const bool on = record.powerState == VideoPowerOn;
  SetDisplayPower(on);
  ActiveBackend().displayPower(on);
  JournalWrite("display-power", {{"on", int64_t{on}}});
  return 1;
}
