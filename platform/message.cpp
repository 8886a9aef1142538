#include <atomic>
#include <chrono>
#include <map>

#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform/window.h"

namespace {

constexpr uint32_t kPollerPeriodMs = 4;

// Never destroyed: detached threads still leave their queues while the process exits.
std::mutex& queuesLock = *new std::mutex;
auto& queues = *new std::map<uint32_t, std::weak_ptr<ThreadQueue>>;  // guarded by queuesLock
std::atomic<uint32_t> nextThreadId{1};
std::atomic<EventPoller> mainThreadPoller{nullptr};
std::atomic<uint32_t> mainThreadId{0};

// Ends the thread's queue with the thread: senders still waiting get 0.
struct QueueOwner {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueOwner() {
    if (!queue) return;
    {
      std::lock_guard<std::mutex> hold(queuesLock);
      queues.erase(queue->threadId);
    }
    std::deque<std::shared_ptr<SentMessage>> orphans;
    {
      std::lock_guard<std::mutex> hold(queue->lock);
      queue->alive = false;
      orphans.swap(queue->sent);
    }
    for (auto& sent : orphans) {
      std::lock_guard<std::mutex> hold(sent->sender->lock);
      sent->done = true;
      sent->sender->wake.notify_all();
    }
  }
};

thread_local QueueOwner ownQueue;

bool IsPollingThread(const ThreadQueue& queue) {
  return mainThreadPoller.load() && queue.threadId == mainThreadId.load();
}

// Waits on the queue's condition; the main thread of a polling backend polls meanwhile.
void WaitForWork(ThreadQueue& queue, std::unique_lock<std::mutex>& hold, uint64_t until) {
  uint64_t now = SteadyMilliseconds();
  if (IsPollingThread(queue)) {
    hold.unlock();
    if (EventPoller poller = mainThreadPoller.load()) poller();
    hold.lock();
    if (!queue.posted.empty() || !queue.sent.empty()) return;
    until = std::min<uint64_t>(until, now + kPollerPeriodMs);
  }
  if (until == UINT64_MAX) {
    queue.wake.wait(hold);
  } else if (until > now) {
    queue.wake.wait_for(hold, std::chrono::milliseconds(until - now));
  }
}

// A due timer becomes WM_TIMER; returns the next due time when none is due.
bool TakeTimer(ThreadQueue& queue, Message* message, uint64_t* nextDue) {
  const uint64_t now = SteadyMilliseconds();
  *nextDue = UINT64_MAX;
  for (WindowTimer& timer : queue.timers) {
    if (timer.due <= now) {
      timer.due = now + timer.interval;
      *message = {timer.window, WM_TIMER, timer.id, 0, GetTickCount()};
      return true;
    }
    *nextDue = std::min(*nextDue, timer.due);
  }
  return false;
}

bool TakePaint(ThreadQueue& queue, Message* message) {
  if (queue.needsPaint.empty()) return false;
  *message = {*queue.needsPaint.begin(), WM_PAINT, 0, 0, GetTickCount()};
  return true;
}

// One pass over the queue: sent messages first, then posted, quit, paint, timers.
enum class Take { Message, Quit, Nothing };
Take TakeNext(ThreadQueue& queue, std::unique_lock<std::mutex>& hold, Message* message, bool remove,
              uint64_t* nextDue) {
  while (!queue.sent.empty()) {
    hold.unlock();
    HandleSentMessages(queue);
    hold.lock();
  }
  *nextDue = UINT64_MAX;
  if (!queue.posted.empty()) {
    *message = queue.posted.front();
    if (remove) queue.posted.pop_front();
    return Take::Message;
  }
  if (queue.quitPosted) {
    *message = {nullptr, WM_QUIT, static_cast<uintptr_t>(queue.quitCode), 0, GetTickCount()};
    if (remove) queue.quitPosted = false;
    return Take::Quit;
  }
  if (TakePaint(queue, message)) {
    if (remove) queue.needsPaint.erase(queue.needsPaint.begin());
    return Take::Message;
  }
  return TakeTimer(queue, message, nextDue) ? Take::Message : Take::Nothing;
}

}  // namespace

uint64_t SteadyMilliseconds() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (!ownQueue.queue) {
    auto queue = std::make_shared<ThreadQueue>();
    queue->threadId = nextThreadId++;
    std::lock_guard<std::mutex> hold(queuesLock);
    queues[queue->threadId] = queue;
    ownQueue.queue = queue;
  }
  return ownQueue.queue;
}

std::shared_ptr<ThreadQueue> QueueOfThread(uint32_t threadId) {
  std::lock_guard<std::mutex> hold(queuesLock);
  const auto found = queues.find(threadId);
  return found == queues.end() ? nullptr : found->second.lock();
}

uint32_t GetCurrentThreadId() {
  return CurrentQueue()->threadId;
}

void HandleSentMessages(ThreadQueue& queue) {
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    {
      std::lock_guard<std::mutex> hold(queue.lock);
      if (queue.sent.empty()) return;
      sent = queue.sent.front();
      queue.sent.pop_front();
    }
    const Message& m = sent->message;
    const intptr_t result = IsWindow(m.window) ? CallWindowProc(GetWindowProc(m.window), m.window,
                                                                m.message, m.wParam, m.lParam)
                                               : 0;
    std::lock_guard<std::mutex> hold(sent->sender->lock);
    sent->result = result;
    sent->done = true;
    sent->sender->wake.notify_all();
  }
}

bool GetMessage(Message* message) {
  ThreadQueue& queue = *CurrentQueue();
  std::unique_lock<std::mutex> hold(queue.lock);
  for (;;) {
    uint64_t nextDue = UINT64_MAX;
    const Take taken = TakeNext(queue, hold, message, true, &nextDue);
    if (taken != Take::Nothing) return taken == Take::Message;
    WaitForWork(queue, hold, nextDue);
  }
}

bool PeekMessage(Message* message, bool remove) {
  ThreadQueue& queue = *CurrentQueue();
  if (IsPollingThread(queue)) mainThreadPoller.load()();
  std::unique_lock<std::mutex> hold(queue.lock);
  uint64_t nextDue = UINT64_MAX;
  return TakeNext(queue, hold, message, remove, &nextDue) != Take::Nothing;
}

void TranslateMessage(const Message*) {}

intptr_t DispatchMessage(const Message* message) {
  if (!message->window || !IsWindow(message->window)) return 0;
  return CallWindowProc(GetWindowProc(message->window), message->window, message->message,
                        message->wParam, message->lParam);
}

void PostQuitMessage(int32_t code) {
  ThreadQueue& queue = *CurrentQueue();
  std::lock_guard<std::mutex> hold(queue.lock);
  queue.quitPosted = true;
  queue.quitCode = code;
  queue.wake.notify_all();
}

bool PostThreadMessage(uint32_t threadId, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return PostMessageToQueue(QueueOfThread(threadId), nullptr, message, wParam, lParam);
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!IsWindow(window)) return false;
  return PostMessageToQueue(QueueOfThread(GetWindowThreadId(window)), window, message, wParam,
                            lParam);
}

bool PostMessageToQueue(const std::shared_ptr<ThreadQueue>& queue, WindowHandle window,
                        uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!queue) return false;
  std::lock_guard<std::mutex> hold(queue->lock);
  if (!queue->alive) return false;
  queue->posted.push_back({window, message, wParam, lParam, GetTickCount()});
  queue->wake.notify_all();
  return true;
}

intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!IsWindow(window)) return 0;
  const std::shared_ptr<ThreadQueue> self = CurrentQueue();
  if (GetWindowThreadId(window) == self->threadId)
    return CallWindowProc(GetWindowProc(window), window, message, wParam, lParam);
  const std::shared_ptr<ThreadQueue> target = QueueOfThread(GetWindowThreadId(window));
  if (!target) return 0;
  auto sent = std::make_shared<SentMessage>();
  sent->message = {window, message, wParam, lParam, GetTickCount()};
  sent->sender = self;
  {
    std::lock_guard<std::mutex> hold(target->lock);
    if (!target->alive) return 0;
    target->sent.push_back(sent);
    target->wake.notify_all();
  }
  // While waiting, messages sent to this thread are handled so two threads can send each other.
  std::unique_lock<std::mutex> hold(self->lock);
  while (!sent->done) {
    if (!self->sent.empty()) {
      hold.unlock();
      HandleSentMessages(*self);
      hold.lock();
      continue;
    }
    WaitForWork(*self, hold, UINT64_MAX);
  }
  return sent->result;
}

uint32_t SetTimer(WindowHandle window, uint32_t id, uint32_t milliseconds) {
  if (!IsWindow(window)) return 0;
  const auto queue = QueueOfThread(GetWindowThreadId(window));
  if (!queue) return 0;
  std::lock_guard<std::mutex> hold(queue->lock);
  std::erase_if(queue->timers,
                [&](const WindowTimer& t) { return t.window == window && t.id == id; });
  queue->timers.push_back({window, id, milliseconds, SteadyMilliseconds() + milliseconds});
  queue->wake.notify_all();
  return id;
}

bool KillTimer(WindowHandle window, uint32_t id) {
  const auto queue = QueueOfThread(GetWindowThreadId(window));
  if (!queue) return false;
  std::lock_guard<std::mutex> hold(queue->lock);
  return std::erase_if(queue->timers,
                       [&](const WindowTimer& t) { return t.window == window && t.id == id; }) > 0;
}

void SetMainThreadPoller(EventPoller poller) {
  mainThreadId = GetCurrentThreadId();
  mainThreadPoller = poller;
}
