// watcher.exe stand-in: the resident scanner-button program that the panel notifies on SCAN
// and EXIT. A top-level window titled with `Model` of section [Watch] of the scanner
// description file (default "ZR7600") that logs each notice it receives and otherwise idles.
//   watcher [--log PATH] [--hidden] [DESCRIPTION_FILE]
// The log (default "watcher.log" beside the program) gets "ready <hwnd> <title>" once the
// window exists, then "notify <wParam> <lParam>" per WM_WATCH_NOTIFY (1357), one line each.
// The window sits small in the top-left corner, shown without activation (--hidden keeps it
// hidden), so it covers no panel and takes no keyboard focus.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "tools/standins/LogFile.h"

namespace {

const UINT WM_WATCH_NOTIFY = 1357;
const wchar_t kClassName[] = L"WatcherStandIn";

std::wstring g_log;

LRESULT CALLBACK WatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WATCH_NOTIFY) {
    AppendLogLine(g_log, L"notify " + std::to_wstring(static_cast<unsigned long>(wParam)) + L" " +
                             std::to_wstring(static_cast<long>(lParam)));
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// `Model` of [Watch], read the way the panel reads it (ANSI profile call, 200 characters).
std::wstring ModelTitle(const std::wstring& description) {
  char model[200] = "ZR7600";
  if (!description.empty()) {
    char path[MAX_PATH];
    const int length =
        WideCharToMultiByte(CP_ACP, 0, description.c_str(), -1, path, MAX_PATH, nullptr, nullptr);
    if (length > 0) GetPrivateProfileStringA("Watch", "Model", "ZR7600", model, sizeof(model), path);
  }
  wchar_t title[200];
  if (MultiByteToWideChar(CP_ACP, 0, model, -1, title, 200) <= 0) return L"ZR7600";
  return title;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring description;
  bool hidden = false;
  g_log = FileBesideProgram(L"watcher.log");
  for (int i = 1; argv && i < count; ++i) {
    const std::wstring argument = argv[i];
    if (argument == L"--log" && i + 1 < count) {
      g_log = argv[++i];
    } else if (argument == L"--hidden") {
      hidden = true;
    } else {
      description = argument;
    }
  }
  if (argv) LocalFree(argv);

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WatcherProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassW(&windowClass)) return 1;
  const std::wstring title = ModelTitle(description);
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, title.c_str(),
                                WS_POPUP | WS_BORDER, 0, 0, 96, 24, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  if (!hidden) ShowWindow(window, SW_SHOWNOACTIVATE);
  wchar_t handle[32];
  std::swprintf(handle, 32, L"%08lX", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
  if (!AppendLogLine(g_log, L"ready " + std::wstring(handle) + L" " + Printable(title))) return 1;

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
