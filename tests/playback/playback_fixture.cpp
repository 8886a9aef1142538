#include "playback_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/player_state.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/gapi.h"
#include "platform/journal.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/wave_out.h"
#include "playback/open_item.h"
#include "playback/transport.h"
#include "playback/video_thread.h"
#include "tests/support/media_once.h"

int endMessages = 0;
intptr_t lastEndParameter = 0;
bool reopenOnEnd = false;

namespace {

intptr_t TestWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kPlaybackEndedMessage) {
    ++endMessages;
    lastEndParameter = lParam;
    if (reopenOnEnd) OpenItem(window, static_cast<int32_t>(lParam));
    return 0;
  }
  if (message == WM_TIMER && wParam == kVolumeFadeTimer) {
    VolumeFadeStep(window);
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

std::string TempFolder() {
  char pattern[] = "/tmp/morvelant-playback-XXXXXX";
  return mkdtemp(pattern) ? pattern : "/tmp";
}

}  // namespace

std::string MakePlaybackMedia(const std::string& fileName, const std::string& ffmpegArgs) {
  return MakeMediaOnce(std::string(MORVELANT_DIST_DIR) + "/../tests/playback_media", fileName,
                       ffmpegArgs);
}

std::vector<std::string> JournalEvents(const std::string& journal, const std::string& event) {
  std::vector<std::string> lines;
  std::istringstream in(journal);
  const std::string tag = "\"event\":\"" + event + "\"";
  for (std::string line; std::getline(in, line);)
    if (line.find(tag) != std::string::npos) lines.push_back(line);
  return lines;
}

int64_t JournalNumber(const std::string& line, const std::string& field) {
  const std::string key = "\"" + field + "\":";
  const size_t at = line.find(key);
  if (at == std::string::npos) return -1000000;
  return std::strtoll(line.c_str() + at + key.size(), nullptr, 10);
}

void PlaybackTest::SetUp() {
  home = TempFolder();
  journal = home + "/journal.jsonl";
  wavPath = home + "/out.wav";
  SetExecutableFolder(MORVELANT_DIST_DIR);
  RegistryLoad(home, std::string(MORVELANT_DIST_DIR) + "/registry.default.reg");
  playerSettings = {};
  playerSettings.audioEnabled = 1;
  playerSettings.lateWindow = 5;
  endMessages = 0;
  reopenOnEnd = false;
}

void PlaybackTest::StartBackend(const std::string& audio) {
  BackendOptions options;
  options.headless = true;
  options.audio = audio;
  options.journal = journal;
  options.journalFrames = true;
  ASSERT_TRUE(OpenBackend(options));
  backendOpen = true;
  screenWidth = 640;
  screenHeight = 480;
  WindowDescription description;
  description.className = u"PlaybackTest";
  description.procedure = TestWindowProc;
  description.bounds = {0, 0, 640, 480};
  window = mainWindow = CreateWindow(description);
  ASSERT_NE(window, nullptr);
  OpenDisplay(window, 0);
}

void PlaybackTest::TearDown() {
  if (videoThreadId != 0) {
    StopPlayback();
    Pump(100);
  }
  OpenItem(window, -1);
  CloseDisplay();
  if (window) DestroyWindow(window);
  mainWindow = window = nullptr;
  if (backendOpen) CloseBackend();
  ReleaseTickCount();
}

void PlaybackTest::Open(const std::string& path, bool play, int32_t startFrame) {
  WideCopy(currentPath, kMediaPathChars, Utf8ToWide(path));
  isUrl = 0;
  startRequest = play;
  OpenItem(window, startFrame);
}

bool PlaybackTest::WaitForEnd(uint32_t timeoutMs) {
  const int before = endMessages;
  const uint32_t start = GetTickCount();
  while (endMessages == before) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pump(5);
  }
  return true;
}

void PlaybackTest::Pump(uint32_t ms) {
  const uint32_t start = GetTickCount();
  do {
    Message message;
    while (PeekMessage(&message, true)) {
      TranslateMessage(&message);
      DispatchMessage(&message);
    }
    Sleep(1);
  } while (GetTickCount() - start < ms);
}

std::string PlaybackTest::JournalText() const {
  std::ifstream in(journal);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
