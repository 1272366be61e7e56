// CMailApp: the mail library's application object. Holds the state of the current mail job,
// runs the send behind MailStartSend (host choice, connection, the wait), the SMTP
// conversation inside the socket's connection notice, the progress window, and the library's
// start-up (language library, Winsock) and shut-down.
#pragma once

#include <memory>

#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "mail/MailChannel.h"
#include "mail/MailJob.h"
#include "mail/MailTexts.h"
#include "mail/SmtpLogin.h"
#include "mail/Socket.h"

class CSendProgressDlg;

class CMailApp : public CWinApp, public IMailSocketOwner, public IMailEnvironment, public IMailTexts {
 public:
  static const DWORD kSendWaitMs = 90000;

  CMailApp();
  ~CMailApp() override;

  bool InitInstance() override;
  int ExitInstance() override;

  // The exported operations. The server, its security and port and the login serve the next
  // send (or test) only.
  void SetMailSMTP(const CString& server) { m_smtpServer = server; }
  void SetMailSecurity(int security, int port);
  // `user` and `password` in the ANSI code page (sent as UTF-8).
  void SetMailLogin(const CString& user, const CString& password);
  int MailContent();
  int MailStartSend(const CString& sender, const CString& recipient, const CStringArray& attachments,
                    HWND notify);
  int MailTestServer(const CString& sender);

  void ClearMailData() { m_job.Clear(); }
  void SetSendCancel() { m_sendCancel = true; }

  // IMailSocketOwner
  void OnSocketNotify(int code, const char* data) override;
  // IMailEnvironment
  CString Text(unsigned id) override;
  void ShowMessage(unsigned id) override;
  void ShowMessage(unsigned id, const CString& quote) override;
  void UpdateProgress(unsigned value, int code) override;
  bool SendCancelled() const override { return m_sendCancel; }
  std::unique_ptr<IAttachmentFile> OpenFile(const CString& path) override;

  // IMailTexts (with Text and ShowMessage above)
  HINSTANCE OwnResources() const override { return m_ownResources; }
  HINSTANCE LanguageLibrary() const { return m_language.Get(); }

 private:
  // The send (or with `test`, the connection test) from the connection to the end of its
  // conversation; 1 when the server accepted the message (or the test passed).
  int Send(bool test);
  // Dispatches messages until the conversation has run (its outcome), the connection failed
  // or never completed (0, "Host is unreachable."), or Cancel (0).
  int WaitForConversation();
  // Ends a send whose connection failed or never completed: the socket goes, the end actions
  // run (unless they already have), "Host is unreachable." is shown; the result is 0.
  int Unreachable();
  // The wait for the connection was cancelled: the attempt is abandoned (a late connection
  // starts no conversation) and the end actions run.
  int Cancelled();
  void LoadLanguageLibrary();

  CString m_smtpServer;
  MailServerOptions m_server;
  int m_port = 0;  // 0: the security's default
  MailJob m_job;
  HWND m_notifyWnd = nullptr;
  std::unique_ptr<CMailSocket> m_socket;
  std::unique_ptr<CSendProgressDlg> m_progress;
  bool m_sending = false;
  bool m_testing = false;
  bool m_conversationStarted = false;
  bool m_accepted = false;  // the conversation's outcome
  // A connection notice came while the socket was not connected: the attempt has failed.
  bool m_connectFailed = false;
  bool m_sendCancel = false;
  bool m_winsock = false;
  CModule m_language;
  HINSTANCE m_ownResources = nullptr;
};

// Copies the characters of a text owned by another module into one of ours.
inline CString CopyText(const CString& text) {
  return CString(text.c_str(), static_cast<size_t>(text.GetLength()));
}
