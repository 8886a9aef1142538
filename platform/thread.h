// Threads with the system's small ids, so that messages can be posted to them.
#pragma once

#include <cstdint>

using ThreadFunction = uint32_t (*)(void* argument);

struct Thread;
using ThreadHandle = Thread*;

// Starts `function(argument)` on a new thread; *threadId (when given) receives the id that the
// new thread's GetCurrentThreadId returns, before this call returns. Null on failure.
ThreadHandle CreateThread(ThreadFunction function, void* argument, uint32_t* threadId);
// WAIT_OBJECT_0 once the thread has ended (its exit code in *exitCode when given), else
// WAIT_TIMEOUT. INFINITE waits for ever.
uint32_t WaitForThread(ThreadHandle thread, uint32_t milliseconds, uint32_t* exitCode = nullptr);
// Forgets the handle; the thread itself runs on to its end.
void CloseThreadHandle(ThreadHandle thread);
