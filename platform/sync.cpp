#include "platform/sync.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <string>
#include <thread>

struct EventState {
  std::mutex lock;
  std::condition_variable changed;
  bool manualReset = false;
  bool set = false;  // guarded by lock
};

struct Event {
  std::shared_ptr<EventState> state;
  std::string name;
};

// A recursive mutex with timed waits, built on a condition so that every wait is one the
// thread sanitizer understands.
struct Mutex {
  std::mutex lock;
  std::condition_variable released;
  std::thread::id owner;  // guarded by lock
  uint32_t depth = 0;     // guarded by lock
};

namespace {

// Named events by name; an entry goes when its last handle is closed.
std::mutex namesLock;
std::map<std::string, std::weak_ptr<EventState>> namedEvents;

}  // namespace

EventHandle CreateNamedEvent(const char* name, bool manualReset, bool initiallySet) {
  auto event = new Event{.name = name ? name : ""};
  std::lock_guard<std::mutex> hold(namesLock);
  if (!event->name.empty()) event->state = namedEvents[event->name].lock();
  if (!event->state) {
    event->state = std::make_shared<EventState>();
    event->state->manualReset = manualReset;
    event->state->set = initiallySet;
    if (!event->name.empty()) namedEvents[event->name] = event->state;
  }
  return event;
}

void SetEvent(EventHandle event) {
  EventState& state = *event->state;
  std::lock_guard<std::mutex> hold(state.lock);
  state.set = true;
  if (state.manualReset) {
    state.changed.notify_all();
  } else {
    state.changed.notify_one();
  }
}

void ResetEvent(EventHandle event) {
  std::lock_guard<std::mutex> hold(event->state->lock);
  event->state->set = false;
}

uint32_t WaitForEvent(EventHandle event, uint32_t milliseconds) {
  EventState& state = *event->state;
  std::unique_lock<std::mutex> hold(state.lock);
  const auto isSet = [&] { return state.set; };
  if (milliseconds == INFINITE) {
    state.changed.wait(hold, isSet);
  } else if (!state.changed.wait_for(hold, std::chrono::milliseconds(milliseconds), isSet)) {
    return WAIT_TIMEOUT;
  }
  if (!state.manualReset) state.set = false;
  return WAIT_OBJECT_0;
}

void CloseEvent(EventHandle event) {
  if (!event) return;
  std::lock_guard<std::mutex> hold(namesLock);
  if (!event->name.empty() && event->state.use_count() == 1) namedEvents.erase(event->name);
  delete event;
}

MutexHandle CreateMutex() {
  return new Mutex;
}

uint32_t WaitForMutex(MutexHandle mutex, uint32_t milliseconds) {
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> hold(mutex->lock);
  const auto available = [&] { return mutex->depth == 0 || mutex->owner == self; };
  if (milliseconds == INFINITE) {
    mutex->released.wait(hold, available);
  } else if (!mutex->released.wait_for(hold, std::chrono::milliseconds(milliseconds), available)) {
    return WAIT_TIMEOUT;
  }
  mutex->owner = self;
  ++mutex->depth;
  return WAIT_OBJECT_0;
}

void ReleaseMutex(MutexHandle mutex) {
  std::lock_guard<std::mutex> hold(mutex->lock);
  if (mutex->depth == 0 || mutex->owner != std::this_thread::get_id()) return;
  if (--mutex->depth == 0) mutex->released.notify_one();
}

void CloseMutex(MutexHandle mutex) {
  delete mutex;
}
