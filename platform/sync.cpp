#include "platform/sync.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <string>

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

struct Mutex {
  std::recursive_timed_mutex lock;
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

MutexHandle CreateMutex() { return new Mutex; }

uint32_t WaitForMutex(MutexHandle mutex, uint32_t milliseconds) {
  if (milliseconds == INFINITE) {
    mutex->lock.lock();
    return WAIT_OBJECT_0;
  }
  return mutex->lock.try_lock_for(std::chrono::milliseconds(milliseconds)) ? WAIT_OBJECT_0
                                                                             : WAIT_TIMEOUT;
}

void ReleaseMutex(MutexHandle mutex) { mutex->lock.unlock(); }

void CloseMutex(MutexHandle mutex) { delete mutex; }
