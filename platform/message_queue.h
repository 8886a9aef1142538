// The per-thread queue behind the message functions; shared by window.cpp and message.cpp.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/window.h"

struct ThreadQueue;

// A message sent from another thread; the sender waits until `done`.
struct SentMessage {
  Message message;
  intptr_t result = 0;
  bool done = false;  // guarded by the sender's queue lock
  std::shared_ptr<ThreadQueue> sender;
};

struct WindowTimer {
  WindowHandle window;
  uint32_t id;
  uint32_t interval;
  uint64_t due;  // steady milliseconds
};

struct ThreadQueue {
  uint32_t threadId = 0;
  std::mutex lock;
  std::condition_variable wake;
  std::deque<Message> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  std::vector<WindowTimer> timers;
  std::set<WindowHandle> needsPaint;
  bool quitPosted = false;
  int32_t quitCode = 0;
  bool alive = true;
};

// The calling thread's queue, made on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
// The queue of a thread, or null when that thread has no queue or has ended.
std::shared_ptr<ThreadQueue> QueueOfThread(uint32_t threadId);
uint64_t SteadyMilliseconds();
bool PostMessageToQueue(const std::shared_ptr<ThreadQueue>& queue, WindowHandle window,
                        uint32_t message, uintptr_t wParam, intptr_t lParam);
// Dispatches the queued sent messages of the calling thread; the caller holds no lock.
void HandleSentMessages(ThreadQueue& queue);
