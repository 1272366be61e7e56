// guidhook.dll: runs inside the target, where Wine lets a process read its own menus only.
#include "tools/guidriver/MenuHook.h"

namespace {

void Reply(HWND receiver, HWND from, ULONG_PTR kind, void* data, DWORD size) {
  COPYDATASTRUCT copy = {kind, size, data};
  DWORD_PTR result = 0;
  SendMessageTimeoutW(receiver, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&copy),
                      SMTO_ABORTIFHUNG, 5000, &result);
}

void SendSystemMenu(HWND wnd, HWND receiver) {
  HMENU menu = GetSystemMenu(wnd, FALSE);
  SMenuEnd end = {menu ? GetMenuItemCount(menu) : -1};
  for (int i = 0; i < end.count; ++i) {
    SMenuItem item = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = item.text;
    info.cch = sizeof item.text / sizeof item.text[0];
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
      end.count = -1;
      break;
    }
    item.text[sizeof item.text / sizeof item.text[0] - 1] = L'\0';
    item.index = static_cast<UINT>(i);
    item.id = info.wID;
    item.type = info.fType;
    Reply(receiver, wnd, kMenuItem, &item, sizeof item);
  }
  Reply(receiver, wnd, kMenuEnd, &end, sizeof end);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuHookProc(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT request = RegisterWindowMessageW(kMenuRequestMessage);
  const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call && call->message == request && request != 0)
    SendSystemMenu(call->hwnd, reinterpret_cast<HWND>(call->wParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
