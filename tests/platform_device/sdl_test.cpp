// The same drawing shown headless and in the SDL window under a private Xvfb server must give
// the same screen; the SDL side is read back from the window's renderer. Skipped when Xvfb is
// not installed.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "../platform/temp_folder.h"
#include "platform/backend.h"
#include "platform/drawing.h"
#include "platform/message_box.h"
#include "platform/png_file.h"

extern char** environ;

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";
constexpr uint32_t kBoxCommand = 40002;

// A private X server for this test process, stopped by its id.
struct XServer {
  pid_t pid = 0;
  std::string display;
  bool Start() {
    const int number = 90 + getpid() % 400;
    display = ":" + std::to_string(number);
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    char* argv[] = {const_cast<char*>(kXvfb),          display.data(),
                    const_cast<char*>("-screen"),      const_cast<char*>("0"),
                    const_cast<char*>("1280x1024x24"), const_cast<char*>("-nolisten"),
                    const_cast<char*>("tcp"),          nullptr};
    if (posix_spawn(&pid, kXvfb, nullptr, nullptr, argv, environ) != 0) return false;
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return std::filesystem::exists(socket);
  }
  ~XServer() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
};

void Paint(WindowHandle window) {
  PaintInfo paint;
  DeviceContextHandle dc = BeginPaint(window, &paint);
  FillRect(dc, {0, 0, 320, 25}, RGB(30, 60, 200));
  FillRect(dc, {0, 25, 320, 240}, RGB(250, 250, 240));
  FillRect(dc, {40, 60, 120, 140}, RGB(200, 20, 20));
  FontHandle font = CreateFont(u"Tahoma", 18, FW_BOLD);
  FontHandle previous = SelectFont(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  Rect bar{0, 0, 320, 25};
  DrawText(dc, u"File  Settings  View", &bar, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 200, 100));
  Rect middle{0, 150, 320, 200};
  DrawText(dc, u"Centred text", &middle, DT_CENTER | DT_SINGLELINE);
  SelectFont(dc, previous);
  DeleteFont(font);
  DeviceContextHandle memory = CreateCompatibleDC(dc);
  BitmapHandle bitmap = CreateCompatibleBitmap(memory, 2, 2);
  BitmapHandle old = SelectBitmap(memory, bitmap);
  SetPixel(memory, 0, 0, RGB(0, 0, 255));
  SetPixel(memory, 1, 1, RGB(255, 255, 0));
  StretchBlt(dc, 200, 60, 80, 80, memory, 0, 0, 2, 2);
  SelectBitmap(memory, old);
  DeleteBitmap(bitmap);
  DeleteDC(memory);
  EndPaint(window, &paint);
}

intptr_t DrawingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_COMMAND:
      if (wParam == kBoxCommand)
        MessageBox(window, u"Drawn over the screen\nand removed", u"Attention");
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

// Runs the drawing window with a script in one backend; returns the backend's name.
std::string RunDrawing(bool headless, const TempFolder& folder, const std::string& script) {
  std::ofstream(folder / "run.txt") << script;
  BackendOptions options{.headless = headless,
                         .screenWidth = 320,
                         .screenHeight = 240,
                         .scale = 2,
                         .script = folder / "run.txt",
                         .journal = folder / "journal.jsonl"};
  if (!OpenBackend(options)) return "";
  const std::string name = BackendName();
  WindowHandle window = CreateWindow({.procedure = DrawingProc, .bounds = {0, 0, 320, 240}});
  ShowWindow(window, true);
  BackendMainWindowCreated(window);
  Message message;
  while (GetMessage(&message)) DispatchMessage(&message);
  CloseBackend();
  return name;
}

RgbImage Load(const std::string& path) {
  RgbImage image;
  EXPECT_TRUE(ReadPng(path, &image)) << path;
  return image;
}

TEST(SdlBackend, ShowsTheSameScreenAsHeadlessAndDrawsModalBoxesOverIt) {
  if (access(kXvfb, X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
  XServer server;
  ASSERT_TRUE(server.Start());
  TempFolder folder;
  unsetenv("WAYLAND_DISPLAY");
  setenv("DISPLAY", server.display.c_str(), 1);
  // SDL's own software rendering, without GL for the renderer or the window's surface: under
  // Xvfb that GL would be Mesa's, whose threads the sanitizers cannot see into.
  setenv("SDL_RENDER_DRIVER", "software", 1);
  setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
  ASSERT_EQ(RunDrawing(true, folder, "screenshot " + (folder / "headless.png") + "\nquit\n"),
            "headless");
  const std::string script = "wait 200\nscreenshot " + (folder / "sdl.png") +
                             "\ncommand 40002\nwait 300\nscreenshot " + (folder / "boxed.png") +
                             "\nanswer ok\nwait 300\nscreenshot " + (folder / "after.png") +
                             "\nquit\n";
  ASSERT_EQ(RunDrawing(false, folder, script), "sdl");

  const RgbImage headless = Load(folder / "headless.png"), sdl = Load(folder / "sdl.png");
  ASSERT_EQ(sdl.width, 320);
  ASSERT_EQ(sdl.height, 240);
  const uint8_t* red = &headless.rgb[(100 * 320 + 80) * 3];
  EXPECT_EQ(red[0], 206);  // the red square, as the 16-bit screen holds it
  EXPECT_EQ(red[1], 20);
  EXPECT_TRUE(headless.rgb == sdl.rgb) << "the SDL window shows another screen";

  // The box covers the middle while it is up and leaves the screen as it was.
  const RgbImage boxed = Load(folder / "boxed.png"), after = Load(folder / "after.png");
  EXPECT_FALSE(boxed.rgb == sdl.rgb);
  EXPECT_TRUE(after.rgb == sdl.rgb);
  std::ifstream journal(folder / "journal.jsonl");
  std::stringstream text;
  text << journal.rdbuf();
  EXPECT_NE(text.str().find("\"title\":\"Attention\""), std::string::npos);
}

}  // namespace
