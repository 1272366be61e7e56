// The panel's context menu (right button, or Shift+F10 and the menu key): the choice of
// scanner, which the acquisition library offers as its own dialog.
#pragma once

#include <windows.h>

#include "framework/String.h"
#include "scan/AcquireApi.h"

namespace ScannerMenu {
// Shows the menu at the pointer (`where` as WM_CONTEXTMENU gives it; -1, -1 from the keyboard
// puts it at the panel's corner) and runs the choice when it is taken. Nothing without `choose`
// (a library that offers no choice).
void Show(HWND panel, LPARAM where, const CString& itemText, DcAppChooseScannerProcFn choose);
}  // namespace ScannerMenu
