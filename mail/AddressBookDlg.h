// CAddressBookDlg: the address book dialog. The Address Book list (left) is kept in
// Rurizeri.ini; the E-mail list (right) holds the recipients being chosen, handed in and out
// through the recipient array. Enter and Escape keep the framework's default handling.
#pragma once

#include "framework/Dialog.h"
#include "mail/AddressControls.h"
#include "mail/MailListBox.h"
#include "mail/MailTexts.h"
#include "mail/TipBitmapButton.h"

class CAddressBookDlg : public CDialog, private IAddressControlsOwner {
 public:
  explicit CAddressBookDlg(IMailTexts& texts);
  CStringArray& Recipients() { return m_recipients; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnMouseMove(UINT flags, POINT point) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void CreateToolTips();
  void DestroyToolTips();
  void LoadBook();
  void SaveBook() const;
  void OnAdd();
  void OnArrow();
  void OnBookOk();
  void EnableItem(int id, bool enable) const { ::EnableWindow(GetDlgItem(id), enable); }
  // IAddressControlsOwner: told by the dialog's lists and Add button.
  void RelayToolTip(HWND from, UINT message, WPARAM wParam, LPARAM lParam) const override;
  void OnListDeleteKey(CMailListBox& list) override;

  IMailTexts& m_texts;

  CMailListBox m_book;
  CMailListBox m_chosen;
  CTipBitmapButton m_add;
  CBitmapButton m_arrow;
  HWND m_toolTip = nullptr;
  CStringArray m_recipients;
};
