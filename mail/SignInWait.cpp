// WaitDispatching.
#include "mail/SignInWait.h"

#include "framework/MessagePump.h"

WaitEnd WaitDispatching(HANDLE event, uint32_t limitMs, const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return WaitEnd::kDone;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= limitMs) return WaitEnd::kTimedOut;
    bool quit = false;
    if (MessagePump::DispatchQueued(nullptr, false, &quit)) continue;
    if (quit) return WaitEnd::kTimedOut;
    const DWORD count = event ? 1 : 0;
    const DWORD woke = MsgWaitForMultipleObjectsEx(count, event ? &event : nullptr, limitMs - elapsed,
                                                   QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (event && woke == WAIT_OBJECT_0) return WaitEnd::kSignalled;
  }
}
