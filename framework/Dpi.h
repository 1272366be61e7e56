// The dots per inch of a window, and the frame around a client area at a DPI, on every
// Windows from 7: the per-monitor calls where the system has them (Windows 10 1607 and
// later), the system's one DPI where it has not.
#pragma once

#include <windows.h>

namespace Dpi {

// WM_DPICHANGED (Windows 8.1 and later; the build targets older headers): wParam's high word
// is the new DPI, lParam the suggested window rectangle.
const UINT kChangedMessage = 0x02E0;

// The DPI the window is drawn at (its monitor's, for a per-monitor aware program).
UINT ForWindow(HWND window);
// AdjustWindowRectEx at `dpi`: the window rectangle around the client rectangle `rect`.
void AdjustWindowRect(RECT* rect, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace Dpi
