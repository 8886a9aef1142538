// Drawing: device contexts, 16-bit bitmaps, block and stretch copies, fills, pixels, fonts and
// text, painting and the cursor. Colours are 0x00BBGGRR words (RGB()); they are stored as the
// screen's 16-bit pixels, so a colour read back is the nearest 16-bit colour. 96 pixels per
// inch.
//
// A window device context draws onto the screen surface at the window's place, clipped to the
// window (and the screen); coordinates are the window's client coordinates, its top-left
// corner being (0, 0). A memory device context draws into the bitmap selected into it.
// Device contexts and bitmaps are used by one thread at a time (the main thread, or a thread
// that owns them); the font engine is shared under a lock.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/window.h"

struct DeviceContext;
using DeviceContextHandle = DeviceContext*;
struct Bitmap;
using BitmapHandle = Bitmap*;
struct Font;
using FontHandle = Font*;

constexpr uint32_t RGB(uint32_t r, uint32_t g, uint32_t b) {
  return r | (g << 8) | (b << 16);
}
constexpr uint32_t CLR_INVALID = 0xFFFFFFFF;

constexpr int32_t LOGPIXELSX = 88;
constexpr int32_t LOGPIXELSY = 90;
constexpr int32_t kPixelsPerInch = 96;

// Background modes of text.
constexpr int32_t TRANSPARENT = 1;
constexpr int32_t OPAQUE = 2;

// Font weights.
constexpr int32_t FW_NORMAL = 400;
constexpr int32_t FW_BOLD = 700;

// DrawText formats.
constexpr uint32_t DT_LEFT = 0x0;
constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_RIGHT = 0x2;
constexpr uint32_t DT_VCENTER = 0x4;
constexpr uint32_t DT_BOTTOM = 0x8;
constexpr uint32_t DT_WORDBREAK = 0x10;
constexpr uint32_t DT_SINGLELINE = 0x20;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_CALCRECT = 0x400;
constexpr uint32_t DT_NOPREFIX = 0x800;

// Standard cursors.
constexpr int32_t IDC_ARROW = 32512;
constexpr int32_t IDC_WAIT = 32514;

struct Size {
  int32_t cx, cy;
};

struct TextMetrics {
  int32_t height;  // a line: ascent + descent
  int32_t ascent;
  int32_t descent;
  int32_t averageCharWidth;
};

// ---- Device contexts ----

// The window's device context; null window: the whole screen. Release with ReleaseDC, which
// presents what a window context drew.
DeviceContextHandle GetDC(WindowHandle window);
void ReleaseDC(WindowHandle window, DeviceContextHandle dc);
// A memory context with a 1x1 bitmap selected; `dc` may be null. Delete with DeleteDC.
DeviceContextHandle CreateCompatibleDC(DeviceContextHandle dc);
void DeleteDC(DeviceContextHandle dc);
int32_t GetDeviceCaps(DeviceContextHandle dc, int32_t index);

// ---- Bitmaps ----

// A width x height 16-bit bitmap, black. Null for a size below 1x1.
BitmapHandle CreateCompatibleBitmap(DeviceContextHandle dc, int32_t width, int32_t height);
// A bitmap over the caller's buffer of width x height 16-bit pixels (pitch = width, top row
// first); the caller keeps the buffer alive until DeleteBitmap and may write it at any time.
BitmapHandle CreateBitmapOverBits(int32_t width, int32_t height, uint16_t* bits);
// A bitmap that is selected into a context must be deselected first.
void DeleteBitmap(BitmapHandle bitmap);
Size GetBitmapSize(BitmapHandle bitmap);
uint16_t* GetBitmapBits(BitmapHandle bitmap);
// Memory contexts only; returns the previously selected bitmap (null for a window context).
BitmapHandle SelectBitmap(DeviceContextHandle dc, BitmapHandle bitmap);

// ---- Copies, fills, pixels ----

bool BitBlt(DeviceContextHandle destination, int32_t x, int32_t y, int32_t width, int32_t height,
            DeviceContextHandle source, int32_t sourceX, int32_t sourceY);
// Nearest-neighbour scaling of the source rectangle onto the destination rectangle.
bool StretchBlt(DeviceContextHandle destination, int32_t x, int32_t y, int32_t width,
                int32_t height, DeviceContextHandle source, int32_t sourceX, int32_t sourceY,
                int32_t sourceWidth, int32_t sourceHeight);
void FillRect(DeviceContextHandle dc, const Rect& rect, uint32_t color);
// CLR_INVALID outside the context's drawable area.
uint32_t GetPixel(DeviceContextHandle dc, int32_t x, int32_t y);
void SetPixel(DeviceContextHandle dc, int32_t x, int32_t y, uint32_t color);

// ---- Fonts and text ----

// A font by face name, height in pixels (positive: the line height ascent + descent; negative:
// the em size) and weight. A face that is not installed falls back to the system's sans face.
// Null only when no font at all is available.
FontHandle CreateFont(std::u16string_view face, int32_t height, int32_t weight);
// A font that is selected into a context must be deselected first.
void DeleteFont(FontHandle font);
// Returns the previously selected font (null: the default font, 13-pixel sans).
FontHandle SelectFont(DeviceContextHandle dc, FontHandle font);
uint32_t SetTextColor(DeviceContextHandle dc, uint32_t color);
uint32_t SetBkColor(DeviceContextHandle dc, uint32_t color);
int32_t SetBkMode(DeviceContextHandle dc, int32_t mode);
TextMetrics GetTextMetrics(DeviceContextHandle dc);
// The width and line height of a single line of text in the selected font.
Size GetTextExtent(DeviceContextHandle dc, std::u16string_view text);
// Text with its top-left corner at (x, y), one line.
void TextOut(DeviceContextHandle dc, int32_t x, int32_t y, std::u16string_view text);
// Text inside `rect` with the DT_ format: lines broken at line breaks (unless DT_SINGLELINE)
// and, with DT_WORDBREAK, at blanks to fit the width; each line left, centred or right; with
// DT_SINGLELINE also centred or bottom vertically; clipped to the rectangle unless DT_NOCLIP.
// DT_CALCRECT draws nothing and sets rect's right and bottom to the text's extent. Returns
// the height of the text.
int32_t DrawText(DeviceContextHandle dc, std::u16string_view text, Rect* rect, uint32_t format);

// ---- Painting ----

struct PaintInfo {
  DeviceContextHandle dc;
  bool erase;  // the window was invalidated with erasing
  Rect paint;  // the client area
};
// Inside WM_PAINT: validates the window and gives its device context.
DeviceContextHandle BeginPaint(WindowHandle window, PaintInfo* paint);
// Releases the context and presents the screen.
void EndPaint(WindowHandle window, const PaintInfo* paint);
// Invalidates the whole window with erasing and paints it at once (WM_PAINT, lParam 0, sent
// to the procedure before returning). The window's own thread.
void RedrawWindow(WindowHandle window);

// ---- Cursor ----

// A standard cursor (IDC_ARROW, IDC_WAIT); 0 for an unknown number.
int32_t LoadCursor(int32_t id);
// Shows the cursor and returns the previous one. Main thread.
int32_t SetCursor(int32_t cursor);

// ---- Display escapes ----

// Display power through the display driver: the input is a VideoPowerManagement record.
constexpr int32_t SETPOWERMANAGEMENT = 6147;
constexpr uint32_t VideoPowerOn = 1;
constexpr uint32_t VideoPowerOff = 4;
struct VideoPowerManagement {
  uint32_t length;   // 12
  uint32_t version;  // 1
  uint32_t powerState;
};
// Off blanks what is presented (and, on a KMS/DRM console, the panel itself) until switched on;
// each switch is journaled as "display-power" with "on".
// > 0 when the escape was carried out, 0 for an unknown escape, < 0 for a bad record.
int32_t ExtEscape(DeviceContextHandle dc, int32_t escape, int32_t inputSize, const void* input);
