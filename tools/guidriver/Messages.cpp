// Message commands: close, send, post, and waiting for a window to appear or go.
#include "tools/guidriver/Commands.h"

#include "tools/guidriver/Output.h"
#include "tools/guidriver/Selector.h"

namespace {

struct SMessage {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// MSG WPARAM LPARAM, each decimal or 0x hex; negative values are taken as 32-bit patterns.
bool ParseMessage(const CArgs& args, SMessage& out) {
  const auto& pos = args.Positionals();
  long long values[3];
  if (pos.size() != 3) return false;
  for (int i = 0; i < 3; ++i)
    if (!ParseNumber(pos[i], -0x80000000LL, 0xFFFFFFFFLL, values[i])) return false;
  out.msg = static_cast<UINT>(values[0]);
  out.wParam = static_cast<WPARAM>(values[1]);
  out.lParam = static_cast<LPARAM>(values[2]);
  return true;
}

}  // namespace

int CmdWait(const CArgs& args) {
  CSelector selector;
  std::wstring error;
  if (!selector.Parse(args, true, error)) return Fail(error);
  if (args.Flag(L"--gone")) return selector.WaitGone(args.Timeout(), error) ? 0 : Fail(error);
  HWND wnd = nullptr;
  if (!selector.WaitFor(args.Timeout(), wnd, error)) return Fail(error);
  PrintLine(HwndText(wnd));
  return 0;
}

int CmdClose(const CArgs& args) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  return PostMessageW(top, WM_CLOSE, 0, 0) ? 0 : Fail(L"PostMessage WM_CLOSE failed");
}

int CmdSend(const CArgs& args) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  SMessage m;
  if (!ParseMessage(args, m)) return Fail(L"expected MSG WPARAM LPARAM");
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(top, m.msg, m.wParam, m.lParam, SMTO_ABORTIFHUNG, args.Timeout(), &result))
    return Fail(L"no reply from " + HwndText(top) + L" within " + std::to_wstring(args.Timeout()) + L" ms");
  PrintLine(std::to_wstring(static_cast<LRESULT>(result)));
  return 0;
}

int CmdPost(const CArgs& args) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  SMessage m;
  if (!ParseMessage(args, m)) return Fail(L"expected MSG WPARAM LPARAM");
  return PostMessageW(top, m.msg, m.wParam, m.lParam) ? 0 : Fail(L"PostMessage failed");
}
