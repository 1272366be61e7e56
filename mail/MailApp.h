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
#include "mail/Socket.h"

class CSendProgressDlg;

class CMailApp : public CWinApp, public IMailSocketOwner, public IMailEnvironment {
 public:
  static const DWORD kSendWaitMs = 90000;
  static const UINT kSmtpPort = 25;

  CMailApp();
  ~CMailApp() override;
  static CMailApp& Get();

  bool InitInstance() override;
  int ExitInstance() override;

  // The three exported operations.
  void SetMailSMTP(const CString& server) { m_smtpServer = server; }
  int MailContent();
  int MailStartSend(const CString& sender, const CString& recipient, const CStringArray& attachments,
                    HWND notify);

  void ClearMailData() { m_job.Clear(); }
  void SetSendCancel() { m_sendCancel = true; }

  // IMailSocketOwner
  void OnSocketNotify(int code, const char* data) override;
  // IMailEnvironment
  CString Text(unsigned id) override;
  void ShowMessage(unsigned id) override;
  void UpdateProgress(unsigned value, int code) override;
  bool SendCancelled() const override { return m_sendCancel; }
  std::unique_ptr<IAttachmentFile> OpenFile(const CString& path) override;

  HINSTANCE OwnResources() const { return m_ownResources; }
  HINSTANCE LanguageLibrary() const { return m_language.Get(); }

 private:
  int Send();
  // Ends a send whose connection failed or never completed: the socket goes, the end actions
  // run (unless they already have), "Host is unreachable." is shown; the result is 0.
  int Unreachable();
  void LoadLanguageLibrary();

  CString m_smtpServer;
  MailJob m_job;
  HWND m_notifyWnd = nullptr;
  std::unique_ptr<CMailSocket> m_socket;
  std::unique_ptr<CSendProgressDlg> m_progress;
  bool m_conversationStarted = false;
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
