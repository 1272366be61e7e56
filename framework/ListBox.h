// CListBox: a list box control of a dialog with thin wrappers (strings, single and multiple
// selection); subclassed so that derived classes can see its messages.
#pragma once

#include <vector>

#include "framework/SubclassWnd.h"

class CListBox : public CSubclassWnd {
 public:
  int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
  int AddString(const char* text) const {
    return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
  }
  int DeleteString(int index) const { return static_cast<int>(SendMessage(LB_DELETESTRING, index)); }
  void ResetContent() const { SendMessage(LB_RESETCONTENT); }
  CString GetText(int index) const;
  // Selection of a multiple- or extended-selection list.
  int GetSelCount() const { return static_cast<int>(SendMessage(LB_GETSELCOUNT)); }
  std::vector<int> GetSelItems() const;
  bool SetSel(int index, bool select = true) const { return SendMessage(LB_SETSEL, select, index) != LB_ERR; }
  // Selection of a single-selection list.
  int SetCurSel(int index) const { return static_cast<int>(SendMessage(LB_SETCURSEL, index)); }
  // Index of `text` (the list's own comparison, without regard to case), or LB_ERR.
  int FindStringExact(const char* text, int after = -1) const {
    return static_cast<int>(SendMessage(LB_FINDSTRINGEXACT, after, reinterpret_cast<LPARAM>(text)));
  }
};
