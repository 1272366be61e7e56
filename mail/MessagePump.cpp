// PumpMessages.
#include "mail/MessagePump.h"

PumpEnd PumpMessages(HANDLE event, uint32_t limitMs, const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return PumpEnd::kDone;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= limitMs) return PumpEnd::kTimedOut;
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // The quit message belongs to the program's own loop.
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return PumpEnd::kTimedOut;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      continue;
    }
    const DWORD count = event ? 1 : 0;
    const DWORD woke = MsgWaitForMultipleObjectsEx(count, event ? &event : nullptr, limitMs - elapsed,
                                                   QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (event && woke == WAIT_OBJECT_0) return PumpEnd::kSignalled;
  }
}
