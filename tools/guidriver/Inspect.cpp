// Read-only commands: list, texts, foreground.
#include "tools/guidriver/Commands.h"

#include <vector>

#include "tools/guidriver/Children.h"
#include "tools/guidriver/Output.h"
#include "tools/guidriver/Selector.h"

namespace {

std::wstring RectText(const RECT& r) {
  return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right - r.left) +
         L"," + std::to_wstring(r.bottom - r.top);
}

}  // namespace

int CmdList(const CArgs& args) {
  CSelector selector;
  std::wstring error;
  if (!selector.Parse(args, false, error)) return Fail(error);
  for (HWND wnd : selector.FindAll()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    PrintLine(HwndText(wnd) + L"\t" + std::to_wstring(pid) + L"\t" + Field(WindowClass(wnd)) + L"\t" +
              Field(WindowTitle(wnd)));
  }
  return 0;
}

int CmdTexts(const CArgs& args) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  PrintLine(L"caption\t" + Field(WindowTitle(top)));
  // A snapshot first, without asking the target: a window that closes while its busy thread
  // is asked for one control's text still reports what all its controls showed together.
  struct SChild {
    HWND wnd;
    int id;
    std::wstring windowClass, storedText;
  };
  std::vector<SChild> children;
  for (HWND child : Descendants(top))
    children.push_back({child, GetDlgCtrlID(child), WindowClass(child), WindowTitle(child)});
  for (const SChild& child : children) {
    RECT r;
    GetWindowRect(child.wnd, &r);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
    std::wstring text = IsWindow(child.wnd) ? ControlText(child.wnd, args.Timeout()) : std::wstring();
    if (text.empty() && !IsWindow(child.wnd)) text = child.storedText;
    PrintLine(std::to_wstring(child.id) + L"\t" + Field(child.windowClass) + L"\t" + Field(text) + L"\t" +
              (IsWindowVisible(child.wnd) ? L"visible" : L"hidden") + L"\t" + RectText(r));
  }
  return 0;
}

int CmdForeground(const CArgs& args) {
  HWND wnd = GetForegroundWindow();
  if (!wnd) return Fail(L"no foreground window");
  PrintLine(HwndText(wnd) + L"\t" + Field(WindowClass(wnd)) + L"\t" + Field(WindowTitle(wnd)));
  return 0;
}
