// The script thread. Input is posted to the main window's thread so that it is handled in
// order and a modal box never blocks the script; a screenshot is a posted request that the
// main thread carries out between messages, after the input before it.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/backend_table.h"
#include "platform/input.h"
#include "platform/journal.h"
#include "platform/message_queue.h"
#include "platform/png_file.h"
#include "platform/screen.h"
#include "platform/script.h"
#include "platform/wave_out.h"

namespace {

// Requests to the script's own helper window on the main thread.
constexpr uint32_t kScreenshotRequest = WM_USER + 1;
constexpr uint32_t kAnswerDelivery = WM_USER + 2;
constexpr uint32_t kRefusalDelivery = WM_USER + 3;  // wParam: the code

std::thread scriptThread;             // main thread starts and joins it
WindowHandle helperWindow = nullptr;  // main thread only
std::atomic<bool> stopping{false};    // main thread sets; script thread reads

std::mutex stateLock;  // guards everything below
std::condition_variable stateChanged;
std::deque<std::string> answersInFlight;  // posted, not yet reached by the main thread
std::deque<std::string> answers;          // ready for the next box
std::string screenshotPath;
bool screenshotDone = false;

// Sleeps, cut short by StopScript; false once stopping.
bool Pause(int64_t milliseconds) {
  std::unique_lock<std::mutex> hold(stateLock);
  return !stateChanged.wait_for(hold, std::chrono::milliseconds(std::max<int64_t>(0, milliseconds)),
                                [] { return stopping.load(); });
}

void RequestScreenshot(const std::string& path) {
  std::unique_lock<std::mutex> hold(stateLock);
  screenshotPath = path;
  screenshotDone = false;
  if (!PostMessage(helperWindow, kScreenshotRequest, 0, 0)) return;
  stateChanged.wait(hold, [] { return screenshotDone || stopping.load(); });
}

// The answer becomes available once the main thread has handled the input before it, so it
// goes to a box that input opens later, not to one still waiting in the queue.
void DeliverAnswer(const std::string& answer) {
  std::lock_guard<std::mutex> hold(stateLock);
  answersInFlight.push_back(answer);
  PostMessage(helperWindow, kAnswerDelivery, 0, 0);
}

void RunCommand(const ScriptCommand& command) {
  const auto x = static_cast<int32_t>(command.first), y = static_cast<int32_t>(command.second);
  switch (command.op) {
    case ScriptOp::Wait:
      Pause(command.first);
      break;
    case ScriptOp::Down:
      PostPen(WM_LBUTTONDOWN, x, y);
      break;
    case ScriptOp::Move:
      PostPen(WM_MOUSEMOVE, x, y);
      break;
    case ScriptOp::Up:
      PostPen(WM_LBUTTONUP, x, y);
      break;
    case ScriptOp::Tap:
      PostPen(WM_LBUTTONDOWN, x, y);
      PostPen(WM_LBUTTONUP, x, y);
      break;
    case ScriptOp::Key:
      PostKey(static_cast<uint32_t>(command.first), true);
      PostKey(static_cast<uint32_t>(command.first), false);
      break;
    case ScriptOp::Command:
      PostMessage(InputWindow(), WM_COMMAND, static_cast<uintptr_t>(command.first), 0);
      break;
    case ScriptOp::Screenshot:
      RequestScreenshot(command.text);
      break;
    case ScriptOp::Answer:
      DeliverAnswer(command.text);
      break;
    case ScriptOp::Quit:
      PostClose();
      break;
    case ScriptOp::AudioRefuse:  // in order with the input before it, as answers are
      PostMessage(helperWindow, kRefusalDelivery, static_cast<uintptr_t>(command.first), 0);
      break;
  }
}

void RunScript(std::vector<ScriptCommand> commands) {
  for (const ScriptCommand& command : commands) {
    if (stopping.load()) return;
    RunCommand(command);
  }
}

void OnAnswerDelivery() {
  std::lock_guard<std::mutex> hold(stateLock);
  if (answersInFlight.empty()) return;
  answers.push_back(std::move(answersInFlight.front()));
  answersInFlight.pop_front();
}

void OnScreenshotRequest() {
  std::string path;
  {
    std::lock_guard<std::mutex> hold(stateLock);
    path = screenshotPath;
  }
  TakeScreenshot(path);
  std::lock_guard<std::mutex> hold(stateLock);
  screenshotDone = true;
  stateChanged.notify_all();
}

intptr_t HelperProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kScreenshotRequest) OnScreenshotRequest();
  if (message == kAnswerDelivery) OnAnswerDelivery();
  if (message == kRefusalDelivery) InjectWaveOutRefusals({static_cast<uint32_t>(wParam)});
  return DefWindowProc(window, message, wParam, lParam);
}

// Paints every invalid window of the calling thread now, so a screenshot shows what a user
// would see once the queue is idle.
void PaintPending() {
  std::set<WindowHandle> pending;
  {
    ThreadQueue& queue = *CurrentQueue();
    std::lock_guard<std::mutex> hold(queue.lock);
    pending = queue.needsPaint;
  }
  for (WindowHandle window : pending)
    if (IsWindow(window)) SendMessage(window, WM_PAINT, 0, 0);
}

}  // namespace

bool TakeScreenshot(const std::string& path) {
  PaintPending();
  const std::vector<uint16_t> screen = ActiveBackend().capture();
  if (!WritePng(path, screen.data(), ScreenWidth(), ScreenHeight())) {
    std::fprintf(stderr, "morvelant: the screenshot %s cannot be written\n", path.c_str());
    return false;
  }
  JournalWrite("screenshot", {{"file", path}});
  return true;
}

void StartScript(std::vector<ScriptCommand> commands, WindowHandle mainWindow) {
  StopScript();
  SetInputWindow(mainWindow);
  helperWindow =
      CreateWindow({.className = u"MorvelantScript", .procedure = HelperProc, .visible = false});
  stopping = false;
  scriptThread = std::thread(RunScript, std::move(commands));
}

void StopScript() {
  {
    std::lock_guard<std::mutex> hold(stateLock);
    stopping = true;
    answers.clear();
    answersInFlight.clear();
    stateChanged.notify_all();
  }
  if (scriptThread.joinable()) scriptThread.join();
  if (helperWindow) DestroyWindow(helperWindow);
  helperWindow = nullptr;
}

bool TakeScriptAnswer(std::string* answer) {
  std::lock_guard<std::mutex> hold(stateLock);
  if (answers.empty()) return false;
  *answer = std::move(answers.front());
  answers.pop_front();
  return true;
}
