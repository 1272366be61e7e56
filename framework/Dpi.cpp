// Dpi: the per-monitor calls are looked up in user32, since Windows 7 and 8 lack them.
#include "framework/Dpi.h"

namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

FARPROC User32(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? GetProcAddress(user32, name) : nullptr;
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return 96;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}
}  // namespace

namespace Dpi {

UINT ForWindow(HWND window) {
  static const auto forWindow = reinterpret_cast<GetDpiForWindowFn>(User32("GetDpiForWindow"));
  if (forWindow && window) {
    const UINT dpi = forWindow(window);
    if (dpi > 0) return dpi;
  }
  return SystemDpi();
}

void AdjustWindowRect(RECT* rect, DWORD style, DWORD exStyle, UINT dpi) {
  static const auto forDpi = reinterpret_cast<AdjustForDpiFn>(User32("AdjustWindowRectExForDpi"));
  if (forDpi && forDpi(rect, style, FALSE, exStyle, dpi)) return;
  AdjustWindowRectEx(rect, style, FALSE, exStyle);
}

}  // namespace Dpi
