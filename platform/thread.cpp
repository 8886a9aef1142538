#include "platform/thread.h"

#include <memory>
#include <system_error>
#include <thread>

#include "platform/sync.h"
#include "platform/window.h"

namespace {

// Shared by the running thread and its handle, so either may go first.
struct ThreadState {
  EventHandle finished = CreateNamedEvent(nullptr, true, false);
  uint32_t exitCode = 0;  // written before `finished` is set
  ~ThreadState() { CloseEvent(finished); }
};

struct Start {
  ThreadFunction function;
  void* argument;
  std::shared_ptr<ThreadState> state;
  EventHandle idKnown;
  uint32_t id = 0;
};

void Run(Start* start) {
  start->id = GetCurrentThreadId();
  const ThreadFunction function = start->function;
  void* argument = start->argument;
  const std::shared_ptr<ThreadState> state = start->state;
  SetEvent(start->idKnown);  // `start` is the creator's again from here on
  state->exitCode = function(argument);
  SetEvent(state->finished);
}

}  // namespace

struct Thread {
  std::shared_ptr<ThreadState> state;
};

ThreadHandle CreateThread(ThreadFunction function, void* argument, uint32_t* threadId) {
  Start start{function, argument, std::make_shared<ThreadState>(),
              CreateNamedEvent(nullptr, true, false)};
  try {
    std::thread(Run, &start).detach();
  } catch (const std::system_error&) {
    CloseEvent(start.idKnown);
    return nullptr;
  }
  WaitForEvent(start.idKnown, INFINITE);
  CloseEvent(start.idKnown);
  if (threadId) *threadId = start.id;
  return new Thread{start.state};
}

uint32_t WaitForThread(ThreadHandle thread, uint32_t milliseconds, uint32_t* exitCode) {
  const uint32_t result = WaitForEvent(thread->state->finished, milliseconds);
  if (result == WAIT_OBJECT_0 && exitCode) *exitCode = thread->state->exitCode;
  return result;
}

void CloseThreadHandle(ThreadHandle thread) {
  delete thread;
}
