#include "ui_fixture.h"

#include <deque>
#include <filesystem>

#include "app/resources.h"
#include "app/startup_library/startup_library.h"
#include "platform/controls/command_bar_view.h"
#include "platform/controls/dialog_style.h"
#include "platform/controls/list_view.h"
#include "platform/png_file.h"
#include "platform/screen.h"
#include "platform/script.h"

std::vector<std::string> UiTest::received;

namespace {

constexpr uint32_t kProbeMessage = WM_USER + 7;

intptr_t RecordingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_PAINT: {
      PaintInfo paint;
      DeviceContextHandle dc = BeginPaint(window, &paint);
      FillRect(dc, paint.paint, kWindowBackground);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_INITMENUPOPUP:
      UiTest::received.push_back("initmenu " + std::to_string(lParam));
      return 0;
    case WM_COMMAND:
      UiTest::received.push_back("command " + std::to_string(wParam & 0xFFFF));
      return 0;
    case WM_NOTIFY: {
      const auto* click = reinterpret_cast<const ListViewClick*>(lParam);
      UiTest::received.push_back("notify " + std::to_string(click->header.code) + " " +
                                 std::to_string(click->item));
      return 0;
    }
    case WM_LBUTTONDOWN:
      UiTest::received.push_back("pen " + std::to_string(lParam & 0xFFFF) + " " +
                                 std::to_string(lParam >> 16));
      return 0;
    case WM_KEYDOWN:
      UiTest::received.push_back("key " + std::to_string(wParam));
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

intptr_t ProbeProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kProbeMessage) (*reinterpret_cast<std::function<void()>*>(lParam))();
  return DefWindowProc(window, message, wParam, lParam);
}

std::deque<std::function<void()>> probes;  // kept alive until the test ends
WindowHandle probeWindow = nullptr;

}  // namespace

void UiTest::SetUp() {
  ASSERT_TRUE(OpenScreen(kTestScreenWidth, kTestScreenHeight));
  received.clear();
  DefaultPlayerSettings(&settings);
  mainWindow =
      CreateMainWindow(0, &playerInstance, 1, &settings, &bar, RecordingProc, kActionNames);
  ASSERT_NE(mainWindow, nullptr);
  barView = CommandBarCreateView(bar);
  probeWindow = CreateWindow({.className = u"Probe", .procedure = ProbeProc, .visible = false});
  RedrawWindow(mainWindow);
  Pump();
}

void UiTest::TearDown() {
  DestroyWindow(mainWindow);
  DestroyWindow(probeWindow);
  CommandBarDestroy(bar);
  Pump();
  probes.clear();
}

void UiTest::Pump() {
  Message message;
  while (PeekMessage(&message, true)) DispatchMessage(&message);
}

void UiTest::PostPen(uint32_t message, int32_t x, int32_t y) {
  PostMessage(mainWindow, message, message == WM_LBUTTONUP ? 0 : 1, x | (y << 16));
}

void UiTest::Tap(int32_t x, int32_t y) {
  PostPen(WM_LBUTTONDOWN, x, y);
  PostPen(WM_LBUTTONUP, x, y);
}

void UiTest::Key(uint32_t virtualKey) {
  WindowHandle target = GetFocus() ? GetFocus() : mainWindow;
  PostMessage(target, WM_KEYDOWN, virtualKey, 1);
  PostMessage(target, WM_KEYUP, virtualKey, static_cast<intptr_t>(0xC0000001));
}

void UiTest::Char(char16_t c) {
  PostMessage(GetFocus() ? GetFocus() : mainWindow, WM_CHAR, c, 1);
}

void UiTest::Probe(std::function<void()> probe) {
  probes.push_back(std::move(probe));
  PostMessage(probeWindow, kProbeMessage, 0, reinterpret_cast<intptr_t>(&probes.back()));
}

void UiTest::Screenshot(const std::string& name) {
  const std::string folder = std::string(MORVELANT_DIST_DIR) + "/../screenshots";
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(TakeScreenshot(folder + "/" + name + ".png"));
}

uint32_t ScreenColor(int32_t x, int32_t y) {
  return PixelToColor(ScreenPixels()[y * ScreenWidth() + x]);
}

uint32_t Rounded(uint32_t color) {
  return PixelToColor(ColorToPixel(color));
}
