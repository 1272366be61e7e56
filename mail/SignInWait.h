// The sign-in's waits: window messages dispatched (Cancel, socket notices) while the thread
// sleeps in the kernel between them, until a condition holds, an event is signalled or the
// time is up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

enum class WaitEnd { kDone, kSignalled, kTimedOut };

// Looks at `done` after every message; `event` may be null. The program's end (WM_QUIT)
// ends the wait as its time would.
WaitEnd WaitDispatching(HANDLE event, uint32_t limitMs, const std::function<bool()>& done);
