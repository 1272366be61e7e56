// The one way the program and its libraries take messages from the thread's queue: a
// blocking step for the modal loops and the program's own loop (through the program's
// message filter), and the non-blocking steps with which a nested wait keeps the windows
// alive while it waits for a socket, a source or a printer.
#pragma once

#include <windows.h>

// Sees every message the blocking step takes before it is dispatched (the program's
// application object: its scanner source sees them first).
class IPreTranslator {
 public:
  // True when the message was consumed and must not be dispatched.
  virtual bool PreTranslateMessage(MSG* msg) = 0;

 protected:
  ~IPreTranslator() = default;
};

namespace MessagePump {
// The filter of the blocking step; null for none.
void SetFilter(IPreTranslator* filter);

// Waits for one message and runs it through the filter, then the usual translate and
// dispatch. False on WM_QUIT (which is put back into the queue for the outer loop).
bool PumpOne();

// Dispatches one message already queued (for `window` and its children only when given; a
// dialog's keyboard navigation first when `dialog`), without waiting. False when there was
// none, or when it was WM_QUIT, which stays queued for the outer loop (and sets `*quit`: a
// wait that goes on then must not sleep on the queue, which is never empty again).
bool DispatchQueued(HWND window = nullptr, bool dialog = false, bool* quit = nullptr);

// Dispatches every message already queued (as DispatchQueued), and returns how many.
int DispatchAllQueued(HWND window = nullptr, bool dialog = false);

// Sleeps until a message arrives (any input, posted or sent) or `ms` have passed.
void WaitForMessage(DWORD ms);
}  // namespace MessagePump
