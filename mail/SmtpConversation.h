// One SMTP conversation, run in one go over a line channel: greeting, HELO, MAIL FROM, one
// RCPT per recipient (building the To header), DATA, the content, ".", QUIT. Only the
// first one or two characters of the HELO, MAIL FROM and RCPT replies are looked at.
// Platform-free.
#pragma once

#include "mail/MailChannel.h"
#include "mail/MailJob.h"

class CSmtpConversation {
 public:
  CSmtpConversation(MailJob& job, IMailChannel& channel, IMailEnvironment& environment)
      : m_job(job), m_channel(channel), m_environment(environment) {}

  // Runs from reading the greeting to reading the QUIT reply. Consumes the recipient list,
  // the body and the attachments.
  void Run();
  // The To header as built by the recipient phase (for tests).
  const CString& ToHeader() const { return m_toHeader; }

 private:
  CString Command(const CString& text);  // sends, then returns the reply
  void Refused();                        // message unless timed out, then QUIT

  MailJob& m_job;
  IMailChannel& m_channel;
  IMailEnvironment& m_environment;
  CString m_toHeader;
};
