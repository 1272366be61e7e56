// CSmtpConversation.
#include "mail/SmtpConversation.h"

#include "mail/Base64.h"
#include "mail/MessagePlan.h"
#include "mail/MimeText.h"
#include "mail/MimeWriter.h"
#include "mail/SaslBearer.h"
#include "resources/postlib/resource.h"

namespace {
// RFC 4954 lets AUTH's line grow beyond RFC 5321's 512 octets; not every server does.
const size_t kMaxCommandLine = 512;

// "(1 of 3)" in the library's language.
CString Numbering(IMailEnvironment& environment, size_t number, size_t count) {
  const CString text =
      FillPlaceholder(environment.Text(IDS_MESSAGE_NUMBERING), CString::Format("%u", unsigned(number)));
  return FillPlaceholder(text, CString::Format("%u", unsigned(count)));
}

// The To line naming every recipient: the longest the recipient phase can build.
CString ToLine(const CStringArray& recipients) {
  CString line;
  for (int i = 0; i < recipients.GetSize(); ++i) {
    line += CString(i == 0 ? "To: <" : " , <") + WithoutLineBreaks(recipients[i]) + ">";
  }
  return line;
}

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

SmtpReply CSmtpConversation::Authenticate(const char* mechanism, const CString& response) {
  const CString command = CString("AUTH ") + mechanism;
  if (command.GetLength() + 1 + response.GetLength() + 2 <= static_cast<int>(kMaxCommandLine)) {
    CString line = command + " " + response + "\r\n";
    SmtpReply reply = Command(line);
    WipeText(line);
    return reply;
  }
  SmtpReply ready = Command(command + "\r\n");
  if (!ready.Complete() || ready.code != 334) return ready;
  CString line = response + "\r\n";
  SmtpReply reply = Command(line);
  WipeText(line);
  return reply;
}

bool CSmtpConversation::BearerLogin(const ServerExtensions& extensions) {
  if (!extensions.authOAuthBearer && !extensions.authXOAuth2) {
    m_environment.ShowMessage(IDS_OAUTH_NOT_OFFERED);
    Quit();
    return false;
  }
  // OAUTHBEARER is the standard one; XOAUTH2 the providers' older form of the same.
  const bool oauthBearer = extensions.authOAuthBearer;
  for (int attempt = 0;; ++attempt) {
    CString token = m_server.bearer->AccessToken();
    CString response = oauthBearer ? OAuthBearerResponse(m_server.user, m_server.host, m_server.port, token)
                                   : XOAuth2Response(m_server.user, token);
    WipeText(token);
    SmtpReply reply = Authenticate(oauthBearer ? "OAUTHBEARER" : "XOAUTH2", response);
    WipeText(response);
    if (reply.Is(2)) return true;
    bool expired = false;
    if (reply.Complete() && reply.code == 334) {
      // The failure challenge: its status says why; the server's refusal follows the answer.
      expired =
          ReadBearerChallenge(reply.lines.empty() ? std::string() : reply.lines[0].str()).TokenExpired();
      reply = Command(BearerChallengeAnswer(oauthBearer));
    }
    if (expired && attempt == 0 && reply.Complete() && !reply.Is(2)) {
      if (m_server.bearer->Renew()) continue;
      // Renew said why it could not (or Cancel was pressed).
      if (m_environment.SendCancelled()) {
        m_channel.Abort();
      } else {
        Quit();
      }
      return false;
    }
    return reply.Is(2) || Fail(reply, IDS_OAUTH_REFUSED);
  }
}

bool CSmtpConversation::Login(const ServerExtensions& extensions) {
  if (m_server.bearer) return BearerLogin(extensions);
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
  m_extensions = ReadExtensions(ehlo);
  return !m_server.LogsIn() || Login(m_extensions);
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

bool CSmtpConversation::Transaction(const CString& numbering) {
  CMimeWriter writer(m_job, m_channel, m_environment, numbering);
  CString mailFrom = "MAIL FROM: <" + WithoutLineBreaks(m_job.sender) + ">";
  if (m_extensions.size) {
    // The To line names every recipient here; the one sent leaves out those refused first,
    // so the size given is never below the size sent.
    mailFrom +=
        CString::Format(" SIZE=%llu", static_cast<unsigned long long>(writer.Size(ToLine(m_job.recipients))));
  }
  const SmtpReply from = Command(mailFrom + "\r\n");
  // 552: the size given is beyond what the server takes now.
  if (!from.Is(2)) return Fail(from, from.code == 552 ? IDS_MESSAGE_REFUSED : IDS_SERVER_REJECTS);
  if (!Recipients()) return false;
  m_environment.UpdateProgress(0, kProgressDataStart);
  const SmtpReply data = Command("DATA\r\n");
  // The content goes out only when the server is ready for it: a refused DATA followed by the
  // content would have the server read its lines as commands.
  if (!data.Is(3)) return Fail(data, IDS_MESSAGE_REFUSED);
  writer.SendContent(m_toHeader);
  // Cancelled during the content: the "." would deliver what went out, an attachment cut short.
  // The connection is reset instead, and the server discards the unfinished message.
  if (m_environment.SendCancelled()) {
    m_channel.Abort();
    return false;
  }
  const SmtpReply accepted = Command(".\r\n");
  return accepted.Is(2) || Fail(accepted, IDS_MESSAGE_REFUSED);
}

bool CSmtpConversation::Run() {
  if (!Open()) return false;
  // Over the server's size limit: whole attachments in numbered messages, each within it.
  const CStringArray attachments = m_job.attachments;
  const CStringArray recipients = m_job.recipients;
  const CString body = m_job.body;
  MessagePlan plan;
  {
    const CString longest = Numbering(m_environment, attachments.GetSize(), attachments.GetSize());
    const CMimeWriter whole(m_job, m_channel, m_environment);
    // A message of the split without its parts: numbered, and multipart (one part, not counted).
    MailJob bare = m_job;
    bare.attachments.RemoveAll();
    bare.attachments.Add("");
    const CMimeWriter numbered(bare, m_channel, m_environment, longest);
    const CString toLine = ToLine(recipients);
    std::vector<uint64_t> parts;
    parts.reserve(static_cast<size_t>(attachments.GetSize()));
    for (int i = 0; i < attachments.GetSize(); ++i) parts.push_back(whole.PartSize(static_cast<size_t>(i)));
    plan = PlanMessages(whole.Size(toLine), numbered.FixedSize(toLine), parts, m_extensions.sizeLimit);
  }
  if (plan.tooLarge) {
    m_environment.ShowMessage(IDS_MESSAGE_TOO_LARGE, SizeText(plan.size).c_str(),
                              SizeText(m_extensions.sizeLimit).c_str());
    Quit();
    return false;
  }
  int next = 0;
  for (size_t message = 0; message < plan.counts.size(); ++message) {
    m_job.attachments.RemoveAll();
    for (size_t i = 0; i < plan.counts[message]; ++i) m_job.attachments.Add(attachments[next++]);
    m_job.recipients = recipients;
    m_job.body = body;
    const CString numbering =
        plan.counts.size() > 1 ? Numbering(m_environment, message + 1, plan.counts.size()) : CString();
    if (!Transaction(numbering)) return false;
  }
  Quit();
  if (m_refusedCount > 0) {
    CString named = m_refusals;
    if (m_refusedCount > kRefusalsNamed) named += "...\n";
    m_environment.ShowMessage(IDS_SOME_RECIPIENTS_REFUSED, named.Left(named.GetLength() - 1));
  }
  return true;
}
