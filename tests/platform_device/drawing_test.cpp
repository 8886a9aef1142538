// Drawing read back from the screen surface and from bitmaps at known places.
#include "platform/drawing.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/gapi.h"
#include "platform/screen.h"
#include "platform/system_metrics.h"

namespace {

constexpr uint32_t kBlack = RGB(0, 0, 0);
constexpr uint32_t kWhite = RGB(255, 255, 255);
constexpr uint32_t kRed = RGB(255, 0, 0);
constexpr uint32_t kBlue = RGB(0, 0, 255);

intptr_t PlainProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

struct DrawingTest : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(OpenScreen(320, 240)); }
  void TearDown() override { CloseScreen(); }

  static uint16_t ScreenAt(int32_t x, int32_t y) { return ScreenPixels()[y * ScreenWidth() + x]; }
};

// The bounding box of pixels that differ from `background` in a memory context.
Rect InkBox(DeviceContextHandle dc, int32_t width, int32_t height, uint32_t background) {
  Rect box{width, height, -1, -1};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      if (GetPixel(dc, x, y) != background) {
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
               std::max(box.bottom, y + 1)};
      }
  return box;
}

TEST_F(DrawingTest, PixelLayoutPutsRedInTheLowBits) {
  EXPECT_EQ(ColorToPixel(kRed), 0x001F);
  EXPECT_EQ(ColorToPixel(RGB(0, 255, 0)), 0x07E0);
  EXPECT_EQ(ColorToPixel(kBlue), 0xF800);
  EXPECT_EQ(PixelToColor(0x001F), kRed);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 240);
  char16_t oem[100] = {};
  ASSERT_TRUE(SystemParametersInfo(SPI_GETOEMINFO, sizeof oem, oem));
  EXPECT_EQ(std::u16string(oem), u"headless");
}

TEST_F(DrawingTest, WindowContextIsPlacedAndClippedToItsWindow) {
  WindowHandle window = CreateWindow({.procedure = PlainProc, .bounds = {10, 20, 60, 50}});
  DeviceContextHandle dc = GetDC(window);
  FillRect(dc, {-100, -100, 1000, 1000}, kRed);
  EXPECT_EQ(GetPixel(dc, 0, 0), kRed);
  EXPECT_EQ(GetPixel(dc, 50, 0), CLR_INVALID);
  ReleaseDC(window, dc);
  EXPECT_EQ(ScreenAt(10, 20), ColorToPixel(kRed));
  EXPECT_EQ(ScreenAt(59, 49), ColorToPixel(kRed));
  EXPECT_EQ(ScreenAt(9, 20), 0);
  EXPECT_EQ(ScreenAt(60, 49), 0);
  EXPECT_EQ(ScreenAt(10, 50), 0);
  DestroyWindow(window);
}

TEST_F(DrawingTest, BlockAndStretchCopiesFromAMemoryContext) {
  DeviceContextHandle memory = CreateCompatibleDC(nullptr);
  BitmapHandle bitmap = CreateCompatibleBitmap(memory, 2, 2);
  BitmapHandle previous = SelectBitmap(memory, bitmap);
  SetPixel(memory, 0, 0, kRed);
  SetPixel(memory, 1, 0, kBlue);
  SetPixel(memory, 0, 1, kWhite);
  DeviceContextHandle screen = GetDC(nullptr);
  ASSERT_TRUE(BitBlt(screen, 100, 100, 2, 2, memory, 0, 0));
  EXPECT_EQ(ScreenAt(100, 100), ColorToPixel(kRed));
  EXPECT_EQ(ScreenAt(101, 100), ColorToPixel(kBlue));
  EXPECT_EQ(ScreenAt(100, 101), ColorToPixel(kWhite));
  EXPECT_EQ(ScreenAt(101, 101), 0);
  ASSERT_TRUE(StretchBlt(screen, 0, 0, 8, 6, memory, 0, 0, 2, 2));
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      const uint32_t expected = GetPixel(memory, x / 4, y / 3);
      EXPECT_EQ(GetPixel(screen, x, y), expected) << x << "," << y;
    }
  // A copy within the screen whose areas overlap moves the pixels as they were.
  ASSERT_TRUE(BitBlt(screen, 1, 0, 8, 1, screen, 0, 0));
  for (int32_t x = 1; x < 9; ++x)
    EXPECT_EQ(GetPixel(screen, x, 0), GetPixel(memory, (x - 1) / 4, 0)) << x;
  // Shrinking picks every other source pixel.
  ASSERT_TRUE(StretchBlt(screen, 200, 0, 1, 1, memory, 0, 0, 2, 2));
  EXPECT_EQ(GetPixel(screen, 200, 0), kRed);
  ReleaseDC(nullptr, screen);
  SelectBitmap(memory, previous);
  DeleteBitmap(bitmap);
  DeleteDC(memory);
}

TEST_F(DrawingTest, BitmapOverACallersBufferShowsItsCurrentContent) {
  std::vector<uint16_t> bits(4 * 3, ColorToPixel(kBlue));
  BitmapHandle still = CreateBitmapOverBits(4, 3, bits.data());
  EXPECT_EQ(GetBitmapSize(still).cx, 4);
  EXPECT_EQ(GetBitmapSize(still).cy, 3);
  DeviceContextHandle memory = CreateCompatibleDC(nullptr);
  BitmapHandle previous = SelectBitmap(memory, still);
  bits[2 * 4 + 3] = ColorToPixel(kRed);  // written after the bitmap was made
  DeviceContextHandle screen = GetDC(nullptr);
  BitBlt(screen, 0, 0, 4, 3, memory, 0, 0);
  EXPECT_EQ(ScreenAt(0, 0), ColorToPixel(kBlue));
  EXPECT_EQ(ScreenAt(3, 2), ColorToPixel(kRed));
  // Drawing into the bitmap writes the caller's buffer.
  FillRect(memory, {0, 0, 1, 1}, kWhite);
  EXPECT_EQ(bits[0], ColorToPixel(kWhite));
  ReleaseDC(nullptr, screen);
  SelectBitmap(memory, previous);
  DeleteBitmap(still);
  DeleteDC(memory);
}

TEST_F(DrawingTest, FrameBufferAccessWritesTheScreenAndPowerBlanksWhatIsPresented) {
  EXPECT_EQ(BeginDraw(), nullptr);  // display not open
  ASSERT_EQ(OpenDisplay(nullptr, 0), 1);
  uint16_t* frame = BeginDraw();
  ASSERT_EQ(frame, ScreenPixels());
  frame[5 * ScreenWidth() + 7] = ColorToPixel(kWhite);
  EXPECT_EQ(EndDraw(), 1);
  DeviceContextHandle screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 7, 5), kWhite);

  const VideoPowerManagement off{12, 1, VideoPowerOff}, on{12, 1, VideoPowerOn}, bad{12, 1, 2};
  EXPECT_LT(ExtEscape(screen, SETPOWERMANAGEMENT, 12, &bad), 0);
  ASSERT_GT(ExtEscape(screen, SETPOWERMANAGEMENT, 12, &off), 0);
  EXPECT_EQ(CaptureScreen()[5 * ScreenWidth() + 7], 0);
  EXPECT_EQ(GetPixel(screen, 7, 5), kWhite);  // the surface itself is kept
  ASSERT_GT(ExtEscape(screen, SETPOWERMANAGEMENT, 12, &on), 0);
  EXPECT_EQ(CaptureScreen()[5 * ScreenWidth() + 7], ColorToPixel(kWhite));
  ReleaseDC(nullptr, screen);
  CloseDisplay();
}

struct TextCase {
  uint32_t format;
  const char* name;
};

class TextPlacement : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextPlacement, InkLiesWhereTheFormatPutsIt) {
  constexpr int32_t kWidth = 200, kHeight = 40;
  DeviceContextHandle memory = CreateCompatibleDC(nullptr);
  BitmapHandle bitmap = CreateCompatibleBitmap(memory, kWidth, kHeight);
  BitmapHandle previous = SelectBitmap(memory, bitmap);
  FontHandle font = CreateFont(u"Tahoma", 16, FW_NORMAL);  // not installed: falls back
  ASSERT_NE(font, nullptr);
  FontHandle previousFont = SelectFont(memory, font);
  SetTextColor(memory, kWhite);
  SetBkMode(memory, TRANSPARENT);
  Rect rect{20, 0, 180, kHeight};
  DrawText(memory, u"Morvelant", &rect, GetParam().format | DT_SINGLELINE | DT_VCENTER);
  const Rect ink = InkBox(memory, kWidth, kHeight, kBlack);
  const Size extent = GetTextExtent(memory, u"Morvelant");
  ASSERT_GT(ink.right, ink.left) << "nothing drawn";
  EXPECT_GE(ink.left, rect.left);
  EXPECT_LE(ink.right, rect.right);
  EXPECT_NEAR(ink.right - ink.left, extent.cx, 3);
  EXPECT_NEAR(ink.top - 0, kHeight - ink.bottom, 4);  // vertically centred
  const int32_t leftGap = ink.left - rect.left, rightGap = rect.right - ink.right;
  if (GetParam().format == DT_CENTER) {
    EXPECT_NEAR(leftGap, rightGap, 3);
  }
  if (GetParam().format == DT_RIGHT) {
    EXPECT_LE(rightGap, 3);
    EXPECT_GT(leftGap, 40);
  }
  if (GetParam().format == DT_LEFT) {
    EXPECT_LE(leftGap, 3);
    EXPECT_GT(rightGap, 40);
  }
  SelectFont(memory, previousFont);
  DeleteFont(font);
  SelectBitmap(memory, previous);
  DeleteBitmap(bitmap);
  DeleteDC(memory);
}

INSTANTIATE_TEST_SUITE_P(Formats, TextPlacement,
                         ::testing::Values(TextCase{DT_LEFT, "Left"}, TextCase{DT_CENTER, "Centre"},
                                           TextCase{DT_RIGHT, "Right"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrawingTest, TextIsClippedOpaqueFillsItsLineAndLinesBreak) {
  constexpr int32_t kWidth = 200, kHeight = 100;
  DeviceContextHandle memory = CreateCompatibleDC(nullptr);
  BitmapHandle bitmap = CreateCompatibleBitmap(memory, kWidth, kHeight);
  BitmapHandle previous = SelectBitmap(memory, bitmap);
  FontHandle font = CreateFont(u"DejaVu Sans", 20, FW_BOLD);
  SelectFont(memory, font);
  SetTextColor(memory, kWhite);

  // Clipped: a long text in a small box leaves no ink outside the box.
  SetBkMode(memory, TRANSPARENT);
  Rect small{10, 10, 40, 20};
  DrawText(memory, u"WWWWWWWWWW", &small, DT_LEFT);
  const Rect clipped = InkBox(memory, kWidth, kHeight, kBlack);
  EXPECT_GE(clipped.left, 10);
  EXPECT_GE(clipped.top, 10);
  EXPECT_LE(clipped.right, 40);
  EXPECT_LE(clipped.bottom, 20);
  EXPECT_GT(clipped.right, clipped.left);

  // Opaque: the line box behind the text takes the background colour.
  FillRect(memory, {0, 0, kWidth, kHeight}, kBlack);
  SetBkMode(memory, OPAQUE);
  SetBkColor(memory, kBlue);
  TextOut(memory, 0, 0, u"i");
  const TextMetrics metrics = GetTextMetrics(memory);
  EXPECT_EQ(GetPixel(memory, 0, metrics.height - 1), kBlue);
  EXPECT_EQ(GetPixel(memory, 0, metrics.height), kBlack);

  // Line breaks make lines; DT_CALCRECT measures without drawing.
  Rect measure{0, 0, kWidth, 0};
  const int32_t twoLines = DrawText(memory, u"one\r\ntwo", &measure, DT_CALCRECT);
  EXPECT_EQ(twoLines, 2 * metrics.height);
  EXPECT_EQ(measure.bottom, 2 * metrics.height);
  EXPECT_EQ(measure.right, GetTextExtent(memory, u"one").cx);
  Rect wrapped{0, 0, GetTextExtent(memory, u"one two").cx - 1, 0};
  EXPECT_EQ(DrawText(memory, u"one two", &wrapped, DT_CALCRECT | DT_WORDBREAK), twoLines);
  EXPECT_EQ(GetDeviceCaps(memory, LOGPIXELSY), 96);

  SelectFont(memory, nullptr);
  DeleteFont(font);
  SelectBitmap(memory, previous);
  DeleteBitmap(bitmap);
  DeleteDC(memory);
}

}  // namespace

namespace {

std::vector<uint32_t> paintMessages;

intptr_t RecordingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == WM_ERASEBKGND) paintMessages.push_back(message);
  if (message != WM_PAINT) return DefWindowProc(window, message, wParam, lParam);
  paintMessages.push_back(message);
  PaintInfo paint;
  DeviceContextHandle dc = BeginPaint(window, &paint);
  FillRect(dc, paint.paint, RGB(0, 255, 0));
  EndPaint(window, &paint);
  return 0;
}

TEST(Painting, RedrawErasesAndPaintsAtOnceAndLeavesNothingPending) {
  paintMessages.clear();
  OpenScreen(64, 48);
  WindowHandle window = CreateWindow({.procedure = RecordingProc, .bounds = {8, 8, 24, 24}});
  RedrawWindow(window);
  EXPECT_EQ(paintMessages, (std::vector<uint32_t>{WM_PAINT, WM_ERASEBKGND}));
  EXPECT_EQ(ScreenPixels()[8 * 64 + 8], ColorToPixel(RGB(0, 255, 0)));
  Message message;
  EXPECT_FALSE(PeekMessage(&message, true));  // the window is valid again
  // The player's own partial repaint: lParam 1 goes straight to the procedure.
  SendMessage(window, WM_PAINT, 0, 1);
  EXPECT_EQ(paintMessages.size(), 3u);
  DestroyWindow(window);

  const int32_t wait = LoadCursor(IDC_WAIT);
  EXPECT_EQ(wait, IDC_WAIT);
  const int32_t previous = SetCursor(wait);
  EXPECT_EQ(SetCursor(previous), IDC_WAIT);
  CloseScreen();
}

}  // namespace
