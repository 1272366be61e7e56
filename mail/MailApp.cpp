// CMailApp: mail job state, the send and its wait, the conversation, start-up and shut-down.
#include "mail/MailApp.h"

#include <bcrypt.h>
#include <commctrl.h>

#include "framework/File.h"
#include "framework/FileRetry.h"
#include "framework/MessagePump.h"
#include "framework/Module.h"
#include "framework/Profile.h"
#include "mail/MailApi.h"
#include "mail/MailContentDlg.h"
#include "mail/MimeWriter.h"
#include "mail/OAuthProviders.h"
#include "mail/SendProgressDlg.h"
#include "mail/SmtpConversation.h"
#include "resources/postlib/resource.h"

namespace {
// A text of the ANSI code page in UTF-8, as logins go on the wire.
CString Utf8(const CString& text) {
  if (text.IsEmpty()) return CString();
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.c_str(), text.GetLength(), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), text.GetLength(), &wide[0], wideLength);
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), wideLength, nullptr, 0, nullptr, nullptr);
  CString utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), wideLength, &utf8.str()[0], length, nullptr, nullptr);
  SecureZeroMemory(&wide[0], wide.size() * sizeof(wchar_t));
  return utf8;
}

const char* const kLanguageLibraries[] = {"mail_lc.dll", "mail_lg.dll",  "mail_lf.dll", "mail_li.dll",
                                          "mail_ls.dll", "mail_ld.dll",  "mail_lj.dll", "mail_lk.dll",
                                          "mail_lp.dll", "mail_lda.dll", "mail_lsw.dll"};

class CAttachmentFile : public IAttachmentFile {
 public:
  // A page another program holds for a moment (an indexer, a virus scanner) is waited for.
  bool Open(const char* path) {
    return RetryWhileInUse([&] { return m_file.Open(path, CFile::kRead); });
  }
  bool Read(void* buffer, uint32_t size, uint32_t* got) override {
    DWORD read = 0;
    const bool ok = m_file.Read(buffer, size, &read);
    *got = read;
    return ok;
  }
  bool Size(uint64_t* size) override {
    const int64_t length = m_file.GetLength();
    if (length < 0) return false;
    *size = static_cast<uint64_t>(length);
    return true;
  }

 private:
  CFile m_file;
};
}  // namespace

CMailApp::CMailApp() = default;

CMailApp::~CMailApp() = default;

CString CMailApp::Text(unsigned id) { return LoadResourceString(Module::ResourceSource(), id); }

void CMailApp::ShowMessage(unsigned id) { MessageBoxA(nullptr, Text(id), Text(IDS_MAIL_CAPTION), MB_OK); }

void CMailApp::ShowMessage(unsigned id, const CString& quote) {
  MessageBoxA(nullptr, FillPlaceholder(Text(id), quote), Text(IDS_MAIL_CAPTION), MB_OK);
}

void CMailApp::ShowMessage(unsigned id, const CString& first, const CString& second) {
  MessageBoxA(nullptr, FillPlaceholder(FillPlaceholder(Text(id), first), second), Text(IDS_MAIL_CAPTION),
              MB_OK);
}

CString CMailApp::ToUtf8(const CString& text) { return Utf8(text); }

void CMailApp::Random(void* bytes, size_t size) {
  BCryptGenRandom(nullptr, static_cast<PUCHAR>(bytes), static_cast<ULONG>(size),
                  BCRYPT_USE_SYSTEM_PREFERRED_RNG);
}

std::unique_ptr<IAttachmentFile> CMailApp::OpenFile(const CString& path) {
  auto file = std::make_unique<CAttachmentFile>();
  if (!file->Open(path)) return nullptr;
  return file;
}

void CMailApp::LoadLanguageLibrary() {
  const CString directory = Module::Directory(Module::Instance());
  const CProfileFile settings(directory + "Quendel.ini");
  const CProfileFile description(settings.ReadText("Scan Setting", "Path", "", 500));
  const CString section = description.ReadText("CaseInfo", "DSSectionName", "", 500);
  CString language = description.ReadText(section, "Language", "", 256);
  language.MakeUpper();
  for (UINT id = IDS_LANGUAGE_FIRST; id <= IDS_LANGUAGE_LAST; ++id) {
    if (language == LoadResourceString(m_ownResources, id)) {
      m_language.Reset(LoadLibraryA(kLanguageLibraries[id - IDS_LANGUAGE_FIRST]));
      break;
    }
  }
  if (m_language) Module::SetResourceSource(m_language.Get());
}

bool CMailApp::InitInstance() {
  m_ownResources = Module::ResourceSource();
  LoadLanguageLibrary();
  INITCOMMONCONTROLSEX controls = {sizeof(controls),
                                   ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  m_winsock = SocketInit();
  if (!m_winsock) {
    ShowMessage(IDS_WINSOCK_INIT_FAILED);
    Module::SetResourceSource(m_ownResources);
    m_language.Reset();
    return false;
  }
  return true;
}

int CMailApp::ExitInstance() {
  m_socket.reset();
  m_progress.reset();
  Module::SetResourceSource(m_ownResources);
  m_language.Reset();
  ClearMailData();
  if (m_winsock) SocketTerm();
  m_winsock = false;
  return CWinApp::ExitInstance();
}

int CMailApp::MailContent() {
  CMailContentDlg dialog(*this);
  dialog.SetSubject(m_job.subject);
  dialog.SetBody(m_job.body);
  dialog.SetRecipients(m_job.recipients);
  dialog.DoModal();
  m_job.recipients.RemoveAll();
  CStringArray& chosen = dialog.Recipients();
  while (!chosen.IsEmpty()) {
    m_job.recipients.Add(chosen[0]);
    chosen.RemoveAt(0);
  }
  m_job.subject = dialog.Subject();
  m_job.body = dialog.Body();
  return m_job.recipients.IsEmpty() ? 0 : 1;
}

void CMailApp::SetMailSecurity(int security, int port) {
  m_server.security = ToMailSecurity(security);
  m_port = port;
}

void CMailApp::SetMailLogin(const CString& user, const CString& password) {
  WipeText(m_server.user);
  WipeText(m_server.password);
  m_server.user = Utf8(user);
  m_server.password = Utf8(password);
}

void CMailApp::SetMailOAuth(int provider, const CString& authorizeUrl, const CString& tokenUrl,
                            const CString& scope, const CString& clientId, const CString& clientSecret) {
  const OAuthProvider chosen = ToOAuthProvider(provider);
  m_oauth = chosen != kOAuthNone;
  const OAuthPreset* preset = OAuthPresetFor(chosen);
  auto valueOf = [preset](const CString& value, const char* OAuthPreset::*field) {
    const CString own = CopyText(value);
    return own.IsEmpty() && preset ? CString(preset->*field) : own;
  };
  m_client.authorizeUrl = valueOf(authorizeUrl, &OAuthPreset::authorizeUrl);
  m_client.tokenUrl = valueOf(tokenUrl, &OAuthPreset::tokenUrl);
  m_client.scope = valueOf(scope, &OAuthPreset::scope);
  m_client.clientId = CopyText(clientId);
  WipeText(m_client.clientSecret);
  m_client.clientSecret = CopyText(clientSecret);
}

int CMailApp::MailSignIn() {
  if (m_sending || !m_oauth) return 0;
  m_sending = true;
  m_sendCancel = false;
  m_progress = std::make_unique<CSendProgressDlg>([this]() { SetSendCancel(); });
  m_progress->Open();
  m_signIn.Configure(m_client, m_server.user);
  const bool signedIn = m_signIn.SignIn();
  m_progress.reset();
  if (signedIn) ShowMessage(IDS_SIGNED_IN, m_server.user.IsEmpty() ? CString("-") : m_server.user);
  m_server.Clear();
  m_client.Clear();
  m_oauth = false;
  m_sending = false;
  return signedIn ? 1 : 0;
}

bool CMailApp::SignedIn() {
  if (m_server.security == kSecurityNone) {
    ShowMessage(IDS_SIGNIN_NEEDS_TLS);
    return false;
  }
  m_signIn.Configure(m_client, m_server.user);
  if (!m_signIn.Ready()) return false;
  m_server.bearer = &m_signIn;
  return true;
}

int CMailApp::MailStartSend(const CString& sender, const CString& recipient, const CStringArray& attachments,
                            HWND notify) {
  // One send at a time: the waits dispatch messages, and a second one would share the state.
  if (m_sending) return 0;
  m_notifyWnd = notify;
  m_job.defaultRecipient = CopyText(recipient);
  m_job.sender = CopyText(sender);
  m_job.attachments.RemoveAll();
  for (int i = 0; i < attachments.GetSize(); ++i) m_job.attachments.Add(CopyText(attachments.GetAt(i)));
  return Send(false);
}

int CMailApp::MailTestServer(const CString& sender) {
  if (m_sending) return 0;
  // The message waiting for the next send (recipients, subject, body from the e-mail dialog)
  // is not the test's: it is put aside and comes back afterwards.
  MailJob waiting = std::move(m_job);
  m_job.Clear();
  m_job.sender = CopyText(sender);
  HWND notify = m_notifyWnd;
  m_notifyWnd = nullptr;
  const int result = Send(true);
  m_notifyWnd = notify;
  m_job = std::move(waiting);
  return result;
}

int CMailApp::Send(bool test) {
  m_sending = true;
  m_testing = test;
  m_socket.reset();
  int result = 0;
  if (!test && !m_job.defaultRecipient.IsEmpty()) m_job.recipients.Add(m_job.defaultRecipient);
  if (!test && m_job.recipients.IsEmpty()) {
    ShowMessage(IDS_NO_RECIPIENT);
    UpdateProgress(0, kProgressFinish);
  } else {
    const CString host = ChooseHost(m_smtpServer, m_job.sender);
    m_server.host = host;
    m_socket = std::make_unique<CMailSocket>(*this, *this, true);
    m_server.port = MailPortFor(m_port, m_server.security);
    m_progress = std::make_unique<CSendProgressDlg>([this]() { SetSendCancel(); });
    m_progress->Open();
    m_socket->SetNotify(true);
    m_conversationStarted = false;
    m_connectFailed = false;
    m_accepted = false;
    // A Cancel of an earlier send must not end this send's wait before it has started.
    m_sendCancel = false;
    // A send with OAuth signs in first (the browser opens when no token is kept).
    if (m_oauth && !SignedIn()) {
      m_socket.reset();
      UpdateProgress(0, kProgressFinish);
      // No server and no sender's domain: nothing to connect to (an empty name would resolve to
      // this computer).
    } else if (host.IsEmpty() || !m_socket->ConnectTo(host, m_server.port)) {
      result = Unreachable();
    } else {
      result = WaitForConversation();
    }
  }
  // The server, its security and the login serve one send.
  m_server.Clear();
  m_client.Clear();
  m_oauth = false;
  m_port = 0;
  m_sending = false;
  return result;
}

int CMailApp::WaitForConversation() {
  // The conversation runs inside the dispatch of the socket's connection notice. The wait
  // sleeps in the kernel while the queue is empty; it still looks at the clock, the
  // conversation flag and the cancel flag after every message. A refused or unreachable
  // connection is reported by its notice and ends the wait at once; one that neither
  // completes nor fails is given up when the wait runs out.
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (m_conversationStarted) return m_accepted ? 1 : 0;
    if (m_connectFailed || elapsed >= kSendWaitMs) return Unreachable();
    if (m_sendCancel) return Cancelled();
    bool quit = false;
    if (MessagePump::DispatchQueued(nullptr, false, &quit)) continue;
    // The program is ending: the send is given up as at Cancel.
    if (quit) return Cancelled();
    MessagePump::WaitForMessage(kSendWaitMs - elapsed);
  }
}

int CMailApp::Unreachable() {
  m_socket.reset();
  UpdateProgress(0, kProgressFinish);
  ShowMessage(IDS_HOST_UNREACHABLE);
  return 0;
}

int CMailApp::Cancelled() {
  m_socket.reset();
  UpdateProgress(0, kProgressFinish);
  ClearMailData();
  return 0;
}

void CMailApp::OnSocketNotify(int code, const char* data) {
  if (code <= 0) {
    m_sendCancel = false;
    if (code == kSocketChanged && m_socket && m_socket->GetState() == CMailSocket::kConnected) {
      m_conversationStarted = true;
      m_socket->SetNotify(false);
      CSmtpConversation conversation(m_job, m_server, *m_socket, *this);
      m_accepted = m_testing ? conversation.RunTest() : conversation.Run();
    } else if (!m_conversationStarted) {
      m_connectFailed = true;
    }
  }
  UpdateProgress(0, kProgressFinish);
  ClearMailData();
}

void CMailApp::UpdateProgress(unsigned value, int code) {
  if (!m_progress) return;
  switch (code) {
    case kProgressRange:
      m_progress->SetRange(static_cast<WORD>(value & 0xFFFF));
      break;
    case kProgressPosition:
      m_progress->SetPos(value);
      break;
    case kProgressFinish:
      if (m_notifyWnd) ::SendMessageA(m_notifyWnd, WM_MAIL_DONE, 0, 0);
      m_progress.reset();
      break;
    case kProgressDataStart:
      m_progress->SetStatus(Text(IDS_START_SEND_DATA));
      break;
    case kProgressStatus:
      m_progress->SetStatus(Text(value));
      break;
    case kProgressFile:
      if (value < static_cast<unsigned>(m_job.attachments.GetSize())) {
        m_progress->SetStatus(Text(IDS_SEND_FILE) + AttachmentFileName(m_job.attachments[value]) + "\" ...");
      }
      break;
    default:
      break;
  }
}
