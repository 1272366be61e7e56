// CMailPage: the Mail destination's page (dialog 167): how the pages are attached (JPEG pages
// or one PDF), the mail server with its security, port and login (and a Test of them),
// recipient and sender, and ">>", which opens the mail library's message editor.
#pragma once

#include "app/settings/SettingsPage.h"
#include "resources/orvane/pages.h"

class CMailPage : public CSettingsPage {
 public:
  CMailPage();
  bool Store(DestinationValues& values) override;

 protected:
  void LoadOwnValues() override;
  void ShowOwnValues() override;
  void LayoutOwn() override;
  void OnOwnButton() override;
  int ExtraListWidth(int index) const override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  // Addresses are read back with this many characters at most, the login with more.
  static const int kAddressBuffer = 100;
  static const int kLoginBuffer = 256;

  // The address fields as they stand.
  CString Smtp() const;
  CString To() const;
  CString From() const;
  // The pages go as one PDF (`Attach As` 1) rather than as JPEG pages.
  bool AttachAsPdf() const { return Selection(IDC_MAIL_ATTACH, 0) == 1; }
  // The server, its security, port and login as the fields stand. False, after a message,
  // when the port is no port.
  bool ServerFromFields(MailServerOrder& server) const;
  CString FieldText(int id, int bufferSize) const;
  int Security() const;
  // The port field as a port (0: the security's own); false after the port message.
  bool Port(int& port) const;
  // User and password only mean something over a secured connection.
  void EnableLogin();
  void RunTest();
  // The security list, then the port's label and field up to `rowRight`.
  void LayoutSecurityRow(int y, int fieldX, int rowRight, int height);

  CString m_mailFrom;
  CString m_mailTo;
  CString m_smtp;
  int m_security = 0;
  int m_port = 0;
  CString m_user;
  CString m_password;
  int m_attachAs = 0;
};
