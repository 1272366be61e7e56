// Input commands: press (BM_CLICK), move/click/down/up (real pointer input), keys.
#include "tools/guidriver/Commands.h"

#include <vector>

#include "tools/guidriver/Children.h"
#include "tools/guidriver/KeySpec.h"
#include "tools/guidriver/Output.h"
#include "tools/guidriver/Selector.h"
#include "tools/guidriver/Wait.h"

namespace {

enum class EPointer { kMove, kDown, kUp };

bool SendPointer(POINT screen, EPointer what, bool right) {
  SetCursorPos(screen.x, screen.y);
  // Absolute coordinates are 0..65535 across the primary screen.
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = width > 1 ? MulDiv(screen.x, 65535, width - 1) : 0;
  input.mi.dy = height > 1 ? MulDiv(screen.y, 65535, height - 1) : 0;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  if (what == EPointer::kDown) input.mi.dwFlags |= right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  if (what == EPointer::kUp) input.mi.dwFlags |= right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  return SendInput(1, &input, sizeof input) == 1;
}

// Pointer input at client coordinates X Y of the selected window: a move, a press, a release,
// or a press and release (click); the right button with --right.
int Pointer(const CArgs& args, bool down, bool up) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  POINT client;
  if (!ParsePoint(args, client)) return Fail(L"expected X Y client coordinates");
  const auto& pos = args.Positionals();
  POINT screen = client;
  ClientToScreen(top, &screen);
  if (down) {
    // A press that lands on another window would make the test pass or fail for the wrong reason.
    HWND hit = WindowFromPoint(screen);
    HWND root = hit ? GetAncestor(hit, GA_ROOT) : nullptr;
    if (root != top)
      return Fail(L"point " + pos[0] + L"," + pos[1] + L" of " + HwndText(top) + L" is covered by " +
                  HwndText(root) + L" (" + WindowClass(root) + L")");
  }
  std::vector<EPointer> steps;
  if (down) steps.push_back(EPointer::kDown);
  if (up) steps.push_back(EPointer::kUp);
  if (steps.empty()) steps.push_back(EPointer::kMove);
  for (EPointer step : steps) {
    if (!SendPointer(screen, step, args.Flag(L"--right"))) return Fail(L"SendInput failed");
    Pause(kSettleMs);
  }
  return 0;
}

// The button a `press` names, once it exists, is visible and enabled in an enabled window.
HWND FindButton(const CArgs& args, HWND top, std::wstring& error) {
  bool byId = args.Has(L"--id");
  long long id = 0;
  if (byId && !ParseNumber(args.Value(L"--id"), -0x80000000LL, 0xFFFFFFFFLL, id)) {
    error = L"bad --id " + args.Value(L"--id");
    return nullptr;
  }
  std::wstring text = args.Value(L"--text");
  std::wstring name = byId ? L"--id " + args.Value(L"--id") : L"--text \"" + text + L"\"";
  HWND button = nullptr;
  bool found = WaitUntil(args.Timeout(), [&] {
    button = nullptr;
    for (HWND child : Descendants(top)) {
      bool hit = byId ? GetDlgCtrlID(child) == static_cast<int>(id) : [&] {
        // A button's label is in the window structure: a target busy spooling or computing
        // is asked only when that is empty, so the press comes while the button is there.
        std::wstring label = WindowTitle(child);
        if (label.empty()) label = ControlText(child, args.Timeout());
        return label == text || WithoutMnemonic(label) == text;
      }();
      if (hit) {
        button = child;
        break;
      }
    }
    return button && IsWindowVisible(button) && IsWindowEnabled(button) && IsWindowEnabled(top);
  });
  if (found && lstrcmpiW(WindowClass(button).c_str(), L"Button") != 0) {
    error = L"child " + name + L" is a " + WindowClass(button) + L", not a Button";
    return nullptr;
  }
  if (!found) {
    // BM_CLICK would press a disabled or hidden button, or one in a window that a modal
    // window has disabled, which no user can do.
    error = !button                    ? L"no child " + name
            : !IsWindowVisible(button) ? L"child " + name + L" is hidden"
            : !IsWindowEnabled(button)
                ? L"child " + name + L" is disabled"
                : L"window " + HwndText(top) + L" is disabled (behind a modal window?)";
    return nullptr;
  }
  return button;
}

}  // namespace

int CmdPress(const CArgs& args) {
  if (args.Has(L"--id") == args.Has(L"--text")) return Fail(L"press needs --id N or --text TEXT");
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  std::wstring error;
  HWND button = FindButton(args, top, error);
  if (!button) return Fail(error);
  // Posted, so a modal loop the click starts in the target cannot hold us up.
  if (!PostMessageW(button, BM_CLICK, 0, 0)) return Fail(L"PostMessage BM_CLICK failed");
  Pause(kSettleMs);
  return 0;
}

int CmdMove(const CArgs& args) { return Pointer(args, false, false); }
int CmdClick(const CArgs& args) { return Pointer(args, true, true); }
int CmdDown(const CArgs& args) { return Pointer(args, true, false); }
int CmdUp(const CArgs& args) { return Pointer(args, false, true); }

int CmdKeys(const CArgs& args) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  if (args.Positionals().size() != 1) return Fail(L"expected one KEYS argument");
  std::vector<INPUT> events;
  std::wstring error;
  if (!ParseKeys(args.Positionals()[0], events, error)) return Fail(error);
  bool front = WaitUntil(args.Timeout(), [&] {
    if (GetForegroundWindow() == top) return true;
    SetForegroundWindow(top);
    return false;
  });
  if (!front)
    return Fail(L"cannot bring " + HwndText(top) + L" to the foreground (it is " +
                HwndText(GetForegroundWindow()) + L")");
  if (!events.empty() &&
      SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT)) != events.size())
    return Fail(L"SendInput failed");
  Pause(kSettleMs);
  return 0;
}
