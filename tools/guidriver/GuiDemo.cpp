// guidemo: a fixture dialog for the driver's own tests; prints on stdout what it receives.
#include <windows.h>

#include <cstdio>

#include "tools/guidriver/GuiDemoIds.h"

namespace {

// Messages a test can send: kAddMessage replies wParam + lParam, kEnableMessage enables or
// disables the Second button by wParam, kBoxMessage opens a modal message box.
constexpr UINT kAddMessage = WM_APP + 1;
constexpr UINT kEnableMessage = WM_APP + 2;
constexpr UINT kBoxMessage = WM_APP + 3;
// The solid square painted at these client pixels lets a test check captures.
constexpr RECT kSquare = {240, 40, 300, 90};
constexpr COLORREF kSquareColor = RGB(0x12, 0x34, 0x56);

void Say(const char* format, long a = 0, long b = 0) {
  char line[128];
  int n = snprintf(line, sizeof line, format, a, b);
  if (n < 0) return;
  if (n >= static_cast<int>(sizeof line) - 1) n = sizeof line - 2;
  line[n++] = '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(n), &written, nullptr);
}

INT_PTR CALLBACK DemoProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(dlg, &ps);
      HBRUSH brush = CreateSolidBrush(kSquareColor);
      FillRect(dc, &kSquare, brush);
      DeleteObject(brush);
      EndPaint(dlg, &ps);
      return TRUE;
    }
    case WM_COMMAND:
      Say("command %ld", LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      Say("close");
      DestroyWindow(dlg);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
    case kAddMessage:
      Say("add %ld %ld", static_cast<long>(wParam), static_cast<long>(lParam));
      SetWindowLongPtrW(dlg, DWLP_MSGRESULT, static_cast<LONG_PTR>(wParam + lParam));
      return TRUE;
    case kEnableMessage:
      EnableWindow(GetDlgItem(dlg, IDC_SECOND), wParam != 0);
      Say("enable %ld", static_cast<long>(wParam));
      return TRUE;
    case kBoxMessage:
      Say("box %ld", MessageBoxW(dlg, L"Line one\nLine two", L"Guidemo box", MB_OKCANCEL));
      return TRUE;
  }
  return FALSE;
}

// Reports input as the dialog's thread sees it, in client coordinates of the dialog.
void Report(HWND dlg, const MSG& msg) {
  POINT p = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
  switch (msg.message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
      MapWindowPoints(msg.hwnd, dlg, &p, 1);
      Say(msg.message == WM_LBUTTONDOWN ? "down %ld %ld"
          : msg.message == WM_LBUTTONUP ? "up %ld %ld"
                                        : "move %ld %ld",
          p.x, p.y);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      Say("key %ld", static_cast<long>(msg.wParam));
      break;
    case WM_CHAR:
      Say("char %ld", static_cast<long>(msg.wParam));
      break;
  }
}

}  // namespace

int main() {
  HWND dlg =
      CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GUIDEMO), nullptr, DemoProc, 0);
  if (!dlg) return 1;
  Say("pid %ld", static_cast<long>(GetCurrentProcessId()));
  ShowWindow(dlg, SW_SHOW);
  UpdateWindow(dlg);
  Say("ready");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    Report(dlg, msg);
    if (!IsDialogMessageW(dlg, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
}
