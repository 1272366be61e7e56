// CSmtpConversation.
#include "mail/SmtpConversation.h"

#include "mail/MimeWriter.h"
#include "resources/postlib/resource.h"

namespace {
bool StartsWith(const CString& reply, const char* prefix) { return reply.Find(prefix) == 0; }
}  // namespace

CString CSmtpConversation::Command(const CString& text) {
  m_channel.SendText(text);
  return m_channel.ReadReply();
}

void CSmtpConversation::Refused() {
  if (!m_channel.TimedOut()) m_environment.ShowMessage(IDS_SERVER_REJECTS);
  Command("QUIT\r\n");
}

void CSmtpConversation::Run() {
  // CR and LF are removed from every address before it reaches a command or a header, so
  // that no text of the job can start a command or header line of its own.
  const CString sender = WithoutLineBreaks(m_job.sender);
  m_channel.ReadReply();  // the greeting, not examined
  if (!StartsWith(Command("HELO " + DomainOfAddress(sender) + "\r\n"), "2")) return Refused();
  if (!StartsWith(Command("MAIL FROM: <" + sender + ">\r\n"), "25")) return Refused();

  bool accepted = false;
  m_toHeader.Empty();
  while (!m_job.recipients.IsEmpty()) {
    const CString recipient = WithoutLineBreaks(m_job.recipients.GetAt(0));
    m_channel.SendText("RCPT TO: <" + recipient + ">\r\n");
    if (!accepted) {
      m_toHeader = "To: <" + recipient + ">\r\n";
    } else {
      m_toHeader = m_toHeader.Left(m_toHeader.GetLength() - 2) + " , <" + recipient + ">\r\n";
    }
    m_job.recipients.RemoveAt(0);
    if (StartsWith(m_channel.ReadReply(), "25")) accepted = true;
  }
  if (!accepted) {
    Command("QUIT\r\n");
    return;
  }
  m_environment.UpdateProgress(0, kProgressDataStart);
  Command("DATA \r\n");
  CMimeWriter(m_job, m_channel, m_environment).SendContent(m_toHeader);
  Command(".\r\n");
  Command("QUIT\r\n");
}
