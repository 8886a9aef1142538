// The screen surface: screenWidth x screenHeight 16-bit pixels (red in bits 0-4, green 5-10,
// blue 11-15), rows top to bottom, pitch = width. The main window covers it; everything the
// player draws (device contexts, the frame-buffer access) lands here, and the backend presents
// it (a window, or PNG screenshots).
#pragma once

#include <cstdint>
#include <vector>

constexpr int32_t kDefaultScreenWidth = 640;
constexpr int32_t kDefaultScreenHeight = 480;

// The OEM information query.
constexpr uint32_t SPI_GETOEMINFO = 258;

// Main thread, before any drawing: makes the surface (black) and sets the system metrics
// (GetSystemMetrics of platform/system_metrics.h) to its size. False for a size below 1x1.
bool OpenScreen(int32_t width, int32_t height);
void CloseScreen();
// Any thread. The surface exists from the first call on (default size when never opened).
uint16_t* ScreenPixels();
int32_t ScreenWidth();
int32_t ScreenHeight();

// SPI_GETOEMINFO: the backend's name as terminated wide text in `buffer` of `bytes` bytes.
// False for other actions or a buffer too small for any text.
bool SystemParametersInfo(uint32_t action, uint32_t bytes, void* buffer);

// Asks the backend to show the surface as it is now. Any thread; never blocks on the main
// thread (the SDL backend uploads on its next poll).
void PresentScreen();

// Display power: while off, what is presented (window, screenshots) is black. Any thread.
void SetDisplayPower(bool on);
bool DisplayPowerOn();

// A frame-buffer write (BeginDraw to EndDraw) holds the screen's frame lock.
void EnterFrameWrite();
void LeaveFrameWrite();
// Drawing on the screen between two frames (a capture, the save and restore under a box, every
// drawing call on a screen context): holds the frame lock when `needed`, waiting for it a short
// bound at most, so that an unended write never hangs the main thread.
class ScreenHold {
 public:
  explicit ScreenHold(bool needed = true);
  ~ScreenHold();
  ScreenHold(const ScreenHold&) = delete;
  ScreenHold& operator=(const ScreenHold&) = delete;

 private:
  bool held_;
};
// The presented screen (black while the display is off), taken between two frames. Call on the
// main thread, between messages, for a copy consistent with window painting.
std::vector<uint16_t> CaptureScreen();

// 0x00BBGGRR colours and the surface's pixel form.
inline constexpr uint16_t ColorToPixel(uint32_t color) {
  const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
  return static_cast<uint16_t>((r >> 3) | ((g >> 2) << 5) | ((b >> 3) << 11));
}
inline constexpr uint32_t PixelToColor(uint16_t pixel) {
  const uint32_t r5 = pixel & 31, g6 = (pixel >> 5) & 63, b5 = pixel >> 11;
  const uint32_t r = (r5 << 3) | (r5 >> 2), g = (g6 << 2) | (g6 >> 4), b = (b5 << 3) | (b5 >> 2);
  return r | (g << 8) | (b << 16);
}
