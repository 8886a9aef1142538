#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/window.h"

TEST(Events, NamedEventsAreSharedAcrossThreadsByName) {
  EventHandle owner = CreateNamedEvent("eventTestShared", true, false);
  std::atomic<bool> woke{false};
  std::thread waiter([&] {
    EventHandle mine = CreateNamedEvent("eventTestShared", false, true);  // opens, keeps mode
    woke = WaitForEvent(mine, INFINITE) == WAIT_OBJECT_0;
    CloseEvent(mine);
  });
  EXPECT_EQ(WaitForEvent(owner, 20), WAIT_TIMEOUT);  // the opener did not change the state
  SetEvent(owner);
  waiter.join();
  EXPECT_TRUE(woke);
  EXPECT_EQ(WaitForEvent(owner, 0), WAIT_OBJECT_0);  // manual reset: still set
  ResetEvent(owner);
  EXPECT_EQ(WaitForEvent(owner, 0), WAIT_TIMEOUT);
  CloseEvent(owner);
}

TEST(Events, AutoResetReleasesOneWaitAtATime) {
  EventHandle event = CreateNamedEvent(nullptr, false, true);
  EXPECT_EQ(WaitForEvent(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForEvent(event, 0), WAIT_TIMEOUT);
  CloseEvent(event);
}

TEST(Events, ClosingTheLastHandleForgetsTheName) {
  EventHandle first = CreateNamedEvent("eventTestForget", true, true);
  CloseEvent(first);
  EventHandle second = CreateNamedEvent("eventTestForget", true, false);
  EXPECT_EQ(WaitForEvent(second, 0), WAIT_TIMEOUT);
  CloseEvent(second);
}

TEST(Locks, MutexIsRecursiveAndExcludesOtherThreads) {
  MutexHandle mutex = CreateMutex();
  ASSERT_EQ(WaitForMutex(mutex, INFINITE), WAIT_OBJECT_0);
  ASSERT_EQ(WaitForMutex(mutex, 0), WAIT_OBJECT_0);  // the owner again
  uint32_t other = WAIT_OBJECT_0;
  std::thread([&] { other = WaitForMutex(mutex, 10); }).join();
  EXPECT_EQ(other, WAIT_TIMEOUT);
  ReleaseMutex(mutex);
  ReleaseMutex(mutex);
  std::thread([&] {
    other = WaitForMutex(mutex, INFINITE);
    ReleaseMutex(mutex);
  }).join();
  EXPECT_EQ(other, WAIT_OBJECT_0);
  CloseMutex(mutex);

  CriticalSection section;
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
}

TEST(Clock, TestsCanDriveTheTickCount) {
  DriveTickCount(0xFFFFFFF0u);
  EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
  DriveTickCount(5);  // wrapped
  EXPECT_EQ(GetTickCount(), 5u);
  ReleaseTickCount();
  const uint32_t before = GetTickCount();
  Sleep(5);
  EXPECT_GE(GetTickCount() - before, 5u);
}

namespace {

uint32_t PostToSelfAndReport(void* argument) {
  auto* seenId = static_cast<std::atomic<uint32_t>*>(argument);
  *seenId = GetCurrentThreadId();
  Message message;
  // The creator posts a thread message to the id it was given; it arrives here.
  if (!GetMessage(&message)) return 0;
  return message.message;
}

}  // namespace

TEST(Threads, IdsAreKnownAtCreationAndReachTheThreadsQueue) {
  std::atomic<uint32_t> seenId{0};
  uint32_t id = 0;
  ThreadHandle thread = CreateThread(PostToSelfAndReport, &seenId, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_TRUE(PostThreadMessage(id, WM_USER + 9, 0, 0));
  uint32_t exitCode = 0;
  EXPECT_EQ(WaitForThread(thread, INFINITE, &exitCode), WAIT_OBJECT_0);
  EXPECT_EQ(exitCode, WM_USER + 9u);
  EXPECT_EQ(seenId.load(), id);
  CloseThreadHandle(thread);
}
