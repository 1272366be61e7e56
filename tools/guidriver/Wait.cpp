// Polling with a deadline: sleeps in MsgWaitForMultipleObjects between tries, never spins.
#include "tools/guidriver/Wait.h"

void Pause(DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    // Drain what woke us, or the next wait would return at once.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

bool WaitUntil(DWORD timeout, const std::function<bool()>& tryOnce) {
  DWORD start = GetTickCount();
  for (;;) {
    if (tryOnce()) return true;
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeout) return false;
    Pause(timeout - elapsed < kPollMs ? timeout - elapsed : kPollMs);
  }
}
