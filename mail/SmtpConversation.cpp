// CSmtpConversation.
#include "mail/SmtpConversation.h"

#include "mail/MimeWriter.h"
#include "resources/postlib/resource.h"

namespace {
unsigned TlsMessage(TlsResult result) {
  switch (result) {
    case TlsResult::kUntrusted:
      return IDS_TLS_UNTRUSTED;
    case TlsResult::kWrongName:
      return IDS_TLS_WRONG_NAME;
    case TlsResult::kExpired:
      return IDS_TLS_EXPIRED;
    case TlsResult::kBadCertificate:
      return IDS_TLS_BAD_CERTIFICATE;
    default:
      return IDS_TLS_FAILED;
  }
}
}  // namespace

SmtpReply CSmtpConversation::Command(const CString& text) {
  m_channel.SendText(text);
  return m_reader.Read(kReplyLimitMs);
}

void CSmtpConversation::Quit() {
  m_channel.SendText("QUIT\r\n");
  m_reader.Read(kQuitLimitMs);
}

bool CSmtpConversation::Fail(const SmtpReply& reply, unsigned refusedId) {
  // Whoever pressed Cancel needs no explanation of what followed.
  if (reply.status == SmtpReply::kCancelled || m_environment.SendCancelled()) {
    m_channel.Abort();
    return false;
  }
  switch (reply.status) {
    case SmtpReply::kComplete:
      m_environment.ShowMessage(refusedId, reply.Quote());
      Quit();
      break;
    case SmtpReply::kTimedOut:
      m_environment.ShowMessage(IDS_NETWORK_TIMED_OUT);
      Quit();
      break;
    case SmtpReply::kMalformed:
    case SmtpReply::kTooLong:
      // Whatever answers is no SMTP server: nothing more is said to it.
      m_environment.ShowMessage(IDS_BAD_REPLY);
      m_channel.Abort();
      break;
    default:
      m_environment.ShowMessage(IDS_CONNECTION_LOST);
      m_channel.Abort();
      break;
  }
  return false;
}

bool CSmtpConversation::Secure() {
  uint32_t error = 0;
  const TlsResult result = m_channel.StartTls(kReplyLimitMs, &error);
  if (result == TlsResult::kSecured) return true;
  // Nothing goes out in clear after a failed handshake: the connection is dropped.
  m_channel.Abort();
  if (m_environment.SendCancelled() || result == TlsResult::kCancelled) return false;
  if (result == TlsResult::kTimedOut) {
    m_environment.ShowMessage(IDS_NETWORK_TIMED_OUT);
  } else if (result == TlsResult::kClosed) {
    m_environment.ShowMessage(IDS_CONNECTION_LOST);
  } else {
    m_environment.ShowMessage(TlsMessage(result), result == TlsResult::kWrongName
                                                      ? m_server.host
                                                      : CString::Format("0x%08X", error));
  }
  return false;
}

bool CSmtpConversation::Login(const ServerExtensions& extensions) {
  if (!extensions.authPlain && !extensions.authLogin) {
    m_environment.ShowMessage(IDS_LOGIN_NOT_OFFERED);
    Quit();
    return false;
  }
  SmtpReply reply;
  if (extensions.authPlain) {
    CString response = PlainResponse(m_server.user, m_server.password);
    reply = Command("AUTH PLAIN " + response + "\r\n");
    WipeText(response);
  } else {
    reply = Command("AUTH LOGIN\r\n");
    // Only a whole 334 reply asks for the next part: a malformed one gets no name or password.
    if (reply.Complete() && reply.code == 334) reply = Command(Base64Text(m_server.user.str()) + "\r\n");
    if (reply.Complete() && reply.code == 334) {
      CString response = Base64Text(m_server.password.str());
      reply = Command(response + "\r\n");
      WipeText(response);
    }
  }
  return reply.Is(2) || Fail(reply, IDS_LOGIN_REFUSED);
}

bool CSmtpConversation::Open() {
  const bool secured = m_server.security != kSecurityNone;
  if (m_server.security == kSecurityTls && !Secure()) return false;
  const SmtpReply greeting = m_reader.Read(kReplyLimitMs);
  if (!greeting.Is(2)) return Fail(greeting, IDS_SERVER_NOT_READY);
  // CR and LF are removed from every address before it reaches a command or a header, so
  // that no text of the job can start a command or header line of its own.
  const CString domain = DomainOfAddress(WithoutLineBreaks(m_job.sender));
  if (!secured) {
    const SmtpReply helo = Command("HELO " + domain + "\r\n");
    return helo.Is(2) || Fail(helo, IDS_SERVER_REJECTS);
  }
  SmtpReply ehlo = Command("EHLO " + domain + "\r\n");
  if (!ehlo.Is(2)) return Fail(ehlo, IDS_SERVER_REJECTS);
  if (m_server.security == kSecurityStartTls) {
    if (!ReadExtensions(ehlo).startTls) {
      m_environment.ShowMessage(IDS_STARTTLS_NOT_OFFERED);
      Quit();
      return false;
    }
    const SmtpReply ready = Command("STARTTLS\r\n");
    if (!ready.Is(2)) return Fail(ready, IDS_STARTTLS_REFUSED);
    // What came before the secured connection is forgotten (RFC 3207), bytes a server (or
    // someone in between) sent ahead included.
    m_reader.DropUnread();
    if (!Secure()) return false;
    ehlo = Command("EHLO " + domain + "\r\n");
    if (!ehlo.Is(2)) return Fail(ehlo, IDS_SERVER_REJECTS);
  }
  return !m_server.LogsIn() || Login(ReadExtensions(ehlo));
}

bool CSmtpConversation::Recipients() {
  bool accepted = false;
  SmtpReply refusal;
  m_toHeader.Empty();
  m_refusals.Empty();
  m_refusedCount = 0;
  while (!m_job.recipients.IsEmpty()) {
    const CString recipient = WithoutLineBreaks(m_job.recipients.GetAt(0));
    m_channel.SendText("RCPT TO: <" + recipient + ">\r\n");
    if (!accepted) {
      m_toHeader = "To: <" + recipient + ">";
    } else {
      m_toHeader += " , <" + recipient + ">";
    }
    m_job.recipients.RemoveAt(0);
    const SmtpReply reply = m_reader.Read(kReplyLimitMs);
    if (reply.Is(2)) {
      accepted = true;
    } else if (reply.Complete()) {
      if (m_refusedCount++ < kRefusalsNamed) m_refusals += recipient + ": " + reply.Quote() + "\n";
      refusal = reply;
    } else {
      return Fail(reply, 0);
    }
  }
  return accepted || Fail(refusal, IDS_RECIPIENTS_REFUSED);
}

bool CSmtpConversation::RunTest() {
  if (!Open()) return false;
  Quit();
  m_environment.ShowMessage(IDS_TEST_PASSED);
  return true;
}

bool CSmtpConversation::Run() {
  if (!Open()) return false;
  const SmtpReply from = Command("MAIL FROM: <" + WithoutLineBreaks(m_job.sender) + ">\r\n");
  if (!from.Is(2)) return Fail(from, IDS_SERVER_REJECTS);
  if (!Recipients()) return false;
  m_environment.UpdateProgress(0, kProgressDataStart);
  const SmtpReply data = Command("DATA\r\n");
  // The content goes out only when the server is ready for it: a refused DATA followed by the
  // content would have the server read its lines as commands.
  if (!data.Is(3)) return Fail(data, IDS_MESSAGE_REFUSED);
  CMimeWriter(m_job, m_channel, m_environment).SendContent(m_toHeader);
  // Cancelled during the content: the "." would deliver what went out, an attachment cut short.
  // The connection is reset instead, and the server discards the unfinished message.
  if (m_environment.SendCancelled()) {
    m_channel.Abort();
    return false;
  }
  const SmtpReply accepted = Command(".\r\n");
  if (!accepted.Is(2)) return Fail(accepted, IDS_MESSAGE_REFUSED);
  Quit();
  if (m_refusedCount > 0) {
    CString named = m_refusals;
    if (m_refusedCount > kRefusalsNamed) named += "...\n";
    m_environment.ShowMessage(IDS_SOME_RECIPIENTS_REFUSED, named.Left(named.GetLength() - 1));
  }
  return true;
}
