// CMailPage: the Mail destination's page (dialog 167): how the pages are attached (JPEG
// pages or one PDF), mail server, recipient and sender, and ">>", which opens the mail
// library's message editor.
#pragma once

#include "app/settings/SettingsPage.h"
#include "resources/orvane/pages.h"

class CMailPage : public CSettingsPage {
 public:
  CMailPage();
  bool Store() override;

  // The address fields as they stand (the mail hand-off reads them).
  CString Smtp() const { return FieldText(5010); }
  CString To() const { return FieldText(5011); }
  CString From() const { return FieldText(5012); }
  // The pages go as one PDF (`Attach As` 1) rather than as JPEG pages.
  bool AttachAsPdf() const { return Selection(IDC_MAIL_ATTACH, 0) == 1; }

 protected:
  void LoadOwnValues() override;
  void ShowOwnValues() override;
  void LayoutOwn() override;
  void OnOwnButton() override;
  int ExtraListWidth(int index) const override;

 private:
  CString FieldText(int id) const;

  CString m_mailFrom;
  CString m_mailTo;
  CString m_smtp;
  int m_attachAs = 0;
};
