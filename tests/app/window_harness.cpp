#include "window_harness.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/main_window.h"
#include "app/startup.h"
#include "app/startup_library/startup_library.h"
#include "core/commands.h"
#include "core/player_state.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/window.h"
#include "tests/support/media_once.h"

namespace {

constexpr uint32_t kKeptTimers[] = {222, 223};

std::mutex seenLock;
std::vector<SeenMessage>* recording = nullptr;

bool Interesting(uint32_t message, uintptr_t wParam) {
  if (message == WM_TIMER)
    return std::find(std::begin(kKeptTimers), std::end(kKeptTimers), wParam) !=
           std::end(kKeptTimers);
  return message != WM_MOUSEMOVE && message != WM_ERASEBKGND;
}

intptr_t RecordingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (Interesting(message, wParam)) {
    std::lock_guard<std::mutex> hold(seenLock);
    if (recording) recording->push_back({message, wParam, lParam, GetTickCount()});
  }
  return MainWindowProc(window, message, wParam, lParam);
}

std::string Describe(const SeenMessage& message) {
  std::ostringstream text;
  text << message.message << "(" << message.wParam << "," << message.lParam << ")";
  return text.str();
}

std::string Describe(const ExpectedMessage& message) {
  std::ostringstream text;
  text << message.message << "(";
  if (message.wParam < 0)
    text << "*";
  else
    text << message.wParam;
  text << ",";
  if (message.lParam < 0)
    text << "*";
  else
    text << message.lParam;
  text << ")" << (message.optional ? "?" : "");
  return text.str();
}

bool Matches(const SeenMessage& seen, const ExpectedMessage& expected) {
  return seen.message == expected.message &&
         (expected.wParam < 0 || static_cast<int64_t>(seen.wParam) == expected.wParam) &&
         (expected.lParam < 0 || static_cast<int64_t>(seen.lParam) == expected.lParam);
}

}  // namespace

TestHome::TestHome(const std::function<void(PlayerSettings*)>& edit) {
  char pattern[] = "/tmp/morvelant-window-XXXXXX";
  path = mkdtemp(pattern);
  setenv("MORVELANT_HOME", path.c_str(), 1);
  SetExecutableFolder(MORVELANT_DIST_DIR);
  PlayerSettings settings;
  DefaultPlayerSettings(&settings);
  if (edit) edit(&settings);
  StorePlayerSettings(&settings);
}

TestHome::~TestHome() {
  std::filesystem::remove_all(path);
}

int32_t RunPlayer(const TestHome& home, const std::u16string& commandLine,
                  const std::string& script, std::vector<SeenMessage>* seen,
                  const std::function<void()>& during) {
  std::ofstream(home / "script.txt") << script;
  BackendOptions options;
  options.headless = true;
  options.audio = "null";
  options.script = home / "script.txt";
  options.journal = home / "journal.jsonl";
  if (!OpenBackend(options)) return -1;
  closing = 0;  // a run before this one in the same process closed its window
  RegistryLoadDefault();
  {
    std::lock_guard<std::mutex> hold(seenLock);
    recording = seen;
  }
  std::thread side;
  if (during) side = std::thread(during);
  const int32_t code = PlayerMain(commandLine, 1, RecordingProc);
  if (side.joinable()) side.join();
  {
    std::lock_guard<std::mutex> hold(seenLock);
    recording = nullptr;
  }
  CloseBackend();
  return code;
}

std::string CompareSequence(const std::vector<SeenMessage>& seen,
                            const std::vector<ExpectedMessage>& expected) {
  size_t at = 0;
  bool same = true;
  for (const ExpectedMessage& next : expected) {
    if (next.optional) {
      while (at < seen.size() && Matches(seen[at], next)) ++at;
      continue;
    }
    if (at >= seen.size() || !Matches(seen[at], next)) {
      same = false;
      break;
    }
    ++at;
  }
  if (same && at == seen.size()) return {};
  std::ostringstream report;
  report << "expected:";
  for (const ExpectedMessage& message : expected) report << " " << Describe(message);
  report << "\nseen:    ";
  for (const SeenMessage& message : seen) report << " " << Describe(message);
  return report.str();
}

std::string TestClip(const std::string& name, const std::string& ffmpegArguments) {
  return MakeMediaOnce(std::string(MORVELANT_DIST_DIR) + "/../test-media", name, ffmpegArguments);
}
