// CMailListBox: the address book dialog's list boxes. Each hands mouse moves over itself to
// the dialog's tooltip control and reports the Delete key to its owner, the dialog.
#pragma once

#include "framework/ListBox.h"

#include "mail/AddressControls.h"

class CMailListBox : public CListBox {
 public:
  static constexpr const char* kRuntimeClassName = "CMailListBox";
  void SetOwner(IAddressControlsOwner* owner) { m_owner = owner; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  IAddressControlsOwner* m_owner = nullptr;
};
