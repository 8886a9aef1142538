// Window messages between real threads, recorded and compared as sequences.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sync.h"
#include "platform/window.h"

namespace {

std::mutex recordLock;
std::vector<uint32_t> received;  // guarded by recordLock
std::atomic<uint32_t> handlerThread{0};

void Record(uint32_t message) {
  std::lock_guard<std::mutex> hold(recordLock);
  received.push_back(message);
}

std::vector<uint32_t> Received() {
  std::lock_guard<std::mutex> hold(recordLock);
  return received;
}

intptr_t RecordingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  Record(message);
  handlerThread = GetCurrentThreadId();
  if (message == WM_USER) return static_cast<intptr_t>(wParam) * 2;
  if (message == WM_DESTROY) PostQuitMessage(7);
  return DefWindowProc(window, message, wParam, lParam);
}

intptr_t ReplacementProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
WindowProc previousProc;
intptr_t ReplacementProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == WM_USER)
    return 1000 + CallWindowProc(previousProc, window, message, wParam, lParam);
  return CallWindowProc(previousProc, window, message, wParam, lParam);
}

int32_t RunLoop() {
  Message message;
  while (GetMessage(&message)) DispatchMessage(&message);
  return static_cast<int32_t>(message.wParam);
}

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::lock_guard<std::mutex> hold(recordLock);
    received.clear();
  }
};

}  // namespace

TEST_F(MessagesTest, CreationCloseAndQuitCodeInOrder) {
  WindowHandle window =
      CreateWindow({.className = u"TEST", .title = u"Main", .procedure = RecordingProc});
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(FindWindow(u"TEST", u"Main"), window);
  PostMessage(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(RunLoop(), 7);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Received(), (std::vector<uint32_t>{WM_CREATE, WM_CLOSE, WM_DESTROY}));
}

TEST_F(MessagesTest, SendFromAnotherThreadWaitsForTheOwnersAnswer) {
  std::atomic<WindowHandle> window{nullptr};
  EventHandle ready = CreateNamedEvent(nullptr, true, false);
  std::atomic<uint32_t> ownerThread{0};
  std::atomic<int32_t> quitCode{-1};
  std::thread owner([&] {
    ownerThread = GetCurrentThreadId();
    window = CreateWindow({.className = u"TEST", .title = u"Owned", .procedure = RecordingProc});
    SetEvent(ready);
    quitCode = RunLoop();
  });
  WaitForEvent(ready, INFINITE);
  EXPECT_EQ(SendMessage(window, WM_USER, 21, 0), 42);
  EXPECT_EQ(handlerThread.load(), ownerThread.load());  // ran on the window's own thread
  previousProc = SetWindowProc(window, ReplacementProc);
  EXPECT_EQ(SendMessage(window, WM_USER, 1, 0), 1002);
  // Closing from here: the close is handled (and the window gone) when the call returns.
  SendMessage(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  owner.join();
  EXPECT_EQ(quitCode, 7);
  EXPECT_EQ(SendMessage(window, WM_USER, 1, 0), 0);  // a dead window answers nothing
  CloseEvent(ready);
}

TEST_F(MessagesTest, ThreadMessagesTimersAndPaintReachTheLoop) {
  WindowHandle window = CreateWindow({.className = u"TEST", .procedure = RecordingProc});
  Message message;
  ASSERT_TRUE(GetMessage(&message));  // a new visible window paints first
  EXPECT_EQ(message.message, WM_PAINT);
  DispatchMessage(&message);
  const uint32_t self = GetCurrentThreadId();
  std::thread([self] { PostThreadMessage(self, WM_USER + 5, 0, 0); }).join();
  ASSERT_TRUE(GetMessage(&message));
  EXPECT_EQ(message.message, WM_USER + 5u);
  EXPECT_EQ(message.window, nullptr);

  SetTimer(window, 222, 10);
  ASSERT_TRUE(GetMessage(&message));
  EXPECT_EQ(message.message, WM_TIMER);
  EXPECT_EQ(message.wParam, 222u);
  EXPECT_TRUE(KillTimer(window, 222));

  InvalidateWindow(window, true);
  ASSERT_TRUE(GetMessage(&message));
  EXPECT_EQ(message.message, WM_PAINT);
  EXPECT_TRUE(WindowNeedsErase(window));
  DispatchMessage(&message);  // the default handling validates
  EXPECT_FALSE(PeekMessage(&message, false));
  DestroyWindow(window);
  EXPECT_TRUE(PeekMessage(&message, true));  // the quit posted by WM_DESTROY
  EXPECT_EQ(message.message, WM_QUIT);
}

TEST_F(MessagesTest, TwoThreadsSendingToEachOtherDoNotDeadlock) {
  std::atomic<WindowHandle> remote{nullptr};
  std::atomic<bool> answered{false};
  EventHandle ready = CreateNamedEvent(nullptr, true, false);
  WindowHandle local = CreateWindow({.className = u"TEST", .procedure = RecordingProc});
  std::thread other([&] {
    remote = CreateWindow({.className = u"TEST", .procedure = RecordingProc});
    SetEvent(ready);
    // Answering a send from the main thread while the main thread itself is sending here.
    EXPECT_EQ(SendMessage(local, WM_USER, 4, 0), 8);
    answered = true;
    RunLoop();
  });
  WaitForEvent(ready, INFINITE);
  EXPECT_EQ(SendMessage(remote, WM_USER, 3, 0), 6);
  // This send may be answered before the other thread's reaches this queue; as on any message
  // thread, that one is answered when this thread next looks at its queue.
  Message message;
  while (!answered) {
    PeekMessage(&message, false);
    std::this_thread::yield();
  }
  SendMessage(remote, WM_CLOSE, 0, 0);
  other.join();
  DestroyWindow(local);
  while (PeekMessage(&message, true)) {
  }
  CloseEvent(ready);
}
