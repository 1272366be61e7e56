// CMailContentDlg: the e-mail dialog, where the user types the To address, picks recipients
// (through the address book), and writes subject and body. Enter and Escape do nothing; only
// its OK and Cancel buttons close it.
#pragma once

#include "framework/Dialog.h"
#include "framework/ListBox.h"
#include "mail/MailTexts.h"

class CMailContentDlg : public CDialog {
 public:
  explicit CMailContentDlg(IMailTexts& texts);
  void SetSubject(const CString& subject) { m_subject = subject; }
  void SetBody(const CString& body) { m_body = body; }
  void SetRecipients(const CStringArray& recipients) { m_recipients = recipients; }
  const CString& Subject() const { return m_subject; }
  const CString& Body() const { return m_body; }
  CStringArray& Recipients() { return m_recipients; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override {}
  void OnCancel() override {}

 private:
  void OnToButton();
  void OnOkButton();

  CString m_subject;
  CString m_body;
  CString m_toText;
  CStringArray m_recipients;
  CListBox m_list;
  IMailTexts& m_texts;
};
