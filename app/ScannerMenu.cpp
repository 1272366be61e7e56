// The panel's context menu.
#include "app/ScannerMenu.h"

namespace {
const UINT kChooseScanner = 1;
}

namespace ScannerMenu {
void Show(HWND panel, LPARAM where, const CString& itemText, DcAppChooseScannerProcFn choose) {
  if (!choose) return;
  POINT at = {static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  if (where == static_cast<LPARAM>(-1)) {
    at = {8, 8};
    ClientToScreen(panel, &at);
  }
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuA(menu, MF_STRING, kChooseScanner, itemText.c_str());
  const UINT taken = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, panel, nullptr));
  DestroyMenu(menu);
  if (taken == kChooseScanner) choose(panel);
}
}  // namespace ScannerMenu
