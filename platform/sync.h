// Synchronisation: named events, recursive critical sections and mutexes. Every call may be
// made from any thread; waits block only the calling thread.
#pragma once

#include <cstdint>
#include <mutex>

constexpr uint32_t INFINITE = 0xFFFFFFFF;
constexpr uint32_t WAIT_OBJECT_0 = 0;
constexpr uint32_t WAIT_TIMEOUT = 258;

struct Event;
using EventHandle = Event*;

// Creates the event, or opens the existing one of the same name (process-wide; the reset mode
// and state of an existing event are kept). A null or empty name makes a private event. The
// event lives until its last handle is closed.
EventHandle CreateNamedEvent(const char* name, bool manualReset, bool initiallySet);
void SetEvent(EventHandle event);
void ResetEvent(EventHandle event);
// WAIT_OBJECT_0 when set (an auto-reset event is reset by the wait), WAIT_TIMEOUT otherwise.
uint32_t WaitForEvent(EventHandle event, uint32_t milliseconds);
void CloseEvent(EventHandle event);

// A recursive lock owned by the caller's storage.
struct CriticalSection {
  std::recursive_mutex lock;
};
inline void EnterCriticalSection(CriticalSection* section) {
  section->lock.lock();
}
inline void LeaveCriticalSection(CriticalSection* section) {
  section->lock.unlock();
}

struct Mutex;
using MutexHandle = Mutex*;
MutexHandle CreateMutex();
// WAIT_OBJECT_0 when acquired (recursively by its owner), WAIT_TIMEOUT otherwise.
uint32_t WaitForMutex(MutexHandle mutex, uint32_t milliseconds);
void ReleaseMutex(MutexHandle mutex);
void CloseMutex(MutexHandle mutex);
