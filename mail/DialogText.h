// Text of a dialog item, as the mail dialogs read their edit controls.
#pragma once

#include "framework/Wnd.h"

inline CString DlgItemText(HWND dialog, int id) {
  CWnd item;
  item.Attach(::GetDlgItem(dialog, id));
  CString text = item.GetWindowText();
  item.Detach();
  return text;
}
