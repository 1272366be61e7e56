// The menu command: reads a window's system menu through guidhook.dll inside the target.
#include "tools/guidriver/Commands.h"

#include <vector>

#include "tools/guidriver/MenuHook.h"
#include "tools/guidriver/Output.h"
#include "tools/guidriver/Selector.h"

namespace {

// Filled by the receiver window while the driver waits in SendMessageTimeout.
struct SMenuReply {
  std::vector<SMenuItem> items;
  bool ended = false;
  int count = -1;
};
SMenuReply g_reply;

LRESULT CALLBACK ReceiverProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_COPYDATA) return DefWindowProcW(wnd, msg, wParam, lParam);
  const COPYDATASTRUCT* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (copy->dwData == kMenuItem && copy->cbData == sizeof(SMenuItem)) {
    SMenuItem item = *static_cast<const SMenuItem*>(copy->lpData);
    item.text[sizeof item.text / sizeof item.text[0] - 1] = L'\0';
    g_reply.items.push_back(item);
  } else if (copy->dwData == kMenuEnd && copy->cbData == sizeof(SMenuEnd)) {
    g_reply.count = static_cast<const SMenuEnd*>(copy->lpData)->count;
    g_reply.ended = true;
  }
  return TRUE;
}

std::wstring HookLibraryPath() {
  wchar_t path[MAX_PATH] = L"";
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n < MAX_PATH ? n : 0);
  size_t slash = dir.find_last_of(L"\\/");
  return (slash == std::wstring::npos ? std::wstring() : dir.substr(0, slash + 1)) + L"guidhook.dll";
}

}  // namespace

int CmdMenu(const CArgs& args) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  HMODULE hook_dll = LoadLibraryW(HookLibraryPath().c_str());
  HOOKPROC proc = hook_dll ? reinterpret_cast<HOOKPROC>(GetProcAddress(hook_dll, kMenuHookProc)) : nullptr;
  if (!proc) return Fail(L"cannot load " + HookLibraryPath());

  g_reply = SMenuReply();  // a served driver runs this command more than once
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ReceiverProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"GuidriverMenuReceiver";
  RegisterClassW(&wc);
  HWND receiver =
      CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, proc, hook_dll, GetWindowThreadProcessId(top, nullptr));
  if (!receiver || !hook) return Fail(L"cannot hook the thread of " + HwndText(top));
  // The replies arrive as sent messages, which this thread serves while it waits here.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(top, RegisterWindowMessageW(kMenuRequestMessage), reinterpret_cast<WPARAM>(receiver), 0,
                      SMTO_ABORTIFHUNG, args.Timeout(), &result);
  UnhookWindowsHookEx(hook);
  DestroyWindow(receiver);
  if (!g_reply.ended) return Fail(L"no menu reply from " + HwndText(top));
  if (g_reply.count < 0 || g_reply.items.size() != static_cast<size_t>(g_reply.count))
    return Fail(L"cannot read the system menu of " + HwndText(top));
  for (const SMenuItem& item : g_reply.items) {
    std::wstring line = std::to_wstring(item.index) + L"\t";
    if (item.type & MFT_SEPARATOR)
      line += L"0\t-";
    else
      line += std::to_wstring(item.id) + L"\t" + Field(item.text);
    PrintLine(line);
  }
  return 0;
}
