// The headless backend from a plain main: a window, a script driving it, a journal and a
// screenshot, as the player runs under --headless.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../platform/temp_folder.h"
#include "platform/backend.h"
#include "platform/drawing.h"
#include "platform/message_box.h"
#include "platform/png_file.h"
#include "platform/screen.h"
#include "platform/wave_out.h"

namespace {

constexpr uint32_t kBarColor = RGB(0, 0, 255);
constexpr uint32_t kPenColor = RGB(255, 0, 0);
constexpr uint32_t kBoxCommand = 40002;
constexpr uint32_t kSoundCommand = 40003;

// What the test window received, in order.
std::vector<std::string> received;
int32_t penX = -1, penY = -1;

// Opens and closes the sound device; the open's result.
uint32_t OpenSound() {
  const WaveFormat format{.formatTag = WAVE_FORMAT_PCM,
                          .channels = 2,
                          .samplesPerSec = 44100,
                          .avgBytesPerSec = 176400,
                          .blockAlign = 4,
                          .bitsPerSample = 16};
  WaveOutHandle device = nullptr;
  const uint32_t result = WaveOutOpen(&device, WAVE_MAPPER, &format, nullptr, 0, 0);
  if (device) WaveOutClose(device);
  return result;
}

void OnPaint(WindowHandle window) {
  PaintInfo paint;
  DeviceContextHandle dc = BeginPaint(window, &paint);
  FillRect(dc, {0, 0, paint.paint.right, 25}, kBarColor);  // a stand-in command bar
  if (penX >= 0) FillRect(dc, {penX, penY, penX + 4, penY + 4}, kPenColor);
  EndPaint(window, &paint);
}

intptr_t TestWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_LBUTTONDOWN:
      penX = static_cast<int32_t>(lParam & 0xFFFF);
      penY = static_cast<int32_t>(lParam >> 16);
      received.push_back("down " + std::to_string(penX) + " " + std::to_string(penY));
      InvalidateWindow(window, false);  // painted before the screenshot is taken
      return 0;
    case WM_LBUTTONUP:
      received.push_back("up");
      return 0;
    case WM_KEYDOWN:
      received.push_back("keydown " + std::to_string(wParam));
      return 0;
    case WM_KEYUP:
      received.push_back("keyup " + std::to_string(wParam));
      return 0;
    case WM_COMMAND:
      if (wParam == kSoundCommand) {
        received.push_back("sound open " + std::to_string(OpenSound()));
        return 0;
      }
      received.push_back("command " + std::to_string(wParam) + " box " +
                         std::to_string(MessageBox(window, u"Line one\nLine two", u"Attention")));
      return 0;
    case WM_CLOSE:
      received.push_back("close");
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

std::string ReadAll(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(Headless, ScriptDrivesTheWindowAndTheJournalRecordsIt) {
  received.clear();
  penX = penY = -1;
  TempFolder folder;
  const std::string shot = folder / "shot.png";
  std::ofstream(folder / "run.txt") << "tap 100 60\n"
                                       "key 0x26\n"
                                       "command 40002\n"
                                       "answer cancel\n"
                                       "command 40002\n"
                                       "audio-refuse 32\n"
                                       "command 40003\n"
                                       "command 40003\n"
                                       "screenshot "
                                    << shot
                                    << "\n"
                                       "quit\n";
  BackendOptions options{.headless = true,
                         .screenWidth = 320,
                         .screenHeight = 240,
                         .script = folder / "run.txt",
                         .journal = folder / "journal.jsonl"};
  ASSERT_TRUE(OpenBackend(options));
  EXPECT_STREQ(BackendName(), "headless");
  WindowHandle window = CreateWindow({.className = u"MORVELANT",
                                      .title = u"Morvelant",
                                      .procedure = TestWindowProc,
                                      .bounds = {0, 0, 320, 240}});
  BackendMainWindowCreated(window);
  Message message;
  while (GetMessage(&message)) DispatchMessage(&message);
  CloseBackend();

  const std::vector<std::string> expected = {"down 100 60",
                                             "up",
                                             "keydown 38",
                                             "keyup 38",
                                             "command 40002 box 1",
                                             "command 40002 box 2",
                                             "sound open 32",
                                             "sound open 0",
                                             "close"};
  EXPECT_EQ(received, expected);

  RgbImage image;
  ASSERT_TRUE(ReadPng(shot, &image));
  EXPECT_EQ(image.width, 320);
  EXPECT_EQ(image.height, 240);
  auto at = [&](int x, int y) {
    const uint8_t* p = &image.rgb[(y * image.width + x) * 3];
    return RGB(p[0], p[1], p[2]);
  };
  EXPECT_EQ(at(5, 5), kBarColor);
  EXPECT_EQ(at(5, 30), RGB(0, 0, 0));
  EXPECT_EQ(at(101, 61), kPenColor);

  const std::string journal = ReadAll(folder / "journal.jsonl");
  const size_t created = journal.find("\"event\":\"window-created\",\"width\":320,\"height\":240");
  const size_t box = journal.find(
      "\"event\":\"messagebox\",\"title\":\"Attention\",\"text\":\"Line one\\u000aLine two\"");
  const size_t screenshot = journal.find("\"event\":\"screenshot\",\"file\":\"" + shot + "\"");
  EXPECT_NE(created, std::string::npos) << journal;
  EXPECT_NE(box, std::string::npos) << journal;
  EXPECT_NE(screenshot, std::string::npos) << journal;
  EXPECT_LT(created, box);
  EXPECT_LT(box, screenshot);
}

TEST(Headless, ABadScriptIsRefusedBeforeAnythingRuns) {
  TempFolder folder;
  std::ofstream(folder / "bad.txt") << "tap 1 2\nfly 3\n";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(OpenBackend({.headless = true, .script = folder / "bad.txt"}));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("bad.txt:2: unknown command 'fly'"),
            std::string::npos);
  CloseBackend();
}

}  // namespace
