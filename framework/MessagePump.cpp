// MessagePump.
#include "framework/MessagePump.h"

namespace {
IPreTranslator* g_filter = nullptr;
}

namespace MessagePump {
void SetFilter(IPreTranslator* filter) { g_filter = filter; }

bool PumpOne() {
  MSG msg;
  if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  if (g_filter && g_filter->PreTranslateMessage(&msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

bool DispatchQueued(HWND window, bool dialog, bool* quit) {
  MSG msg;
  if (!PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    if (quit) *quit = true;
    return false;
  }
  if (dialog && window && IsDialogMessageA(window, &msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

int DispatchAllQueued(HWND window, bool dialog) {
  int count = 0;
  while (DispatchQueued(window, dialog)) ++count;
  return count;
}

void WaitForMessage(DWORD ms) {
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}
}  // namespace MessagePump
