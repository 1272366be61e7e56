// One SMTP conversation, run in one go over a channel: the connection secured (TLS from the
// first byte, or STARTTLS after the greeting), HELO (EHLO when secured), the login (a password,
// or an OAuth token), then per message MAIL FROM (with its size where the server takes SIZE),
// one RCPT per recipient (building the To header), DATA, the content, "."; QUIT. A message too
// large for the server's limit is split into numbered messages of whole attachments, or not
// sent at all. Every reply is read whole and checked; a failure ends the conversation with a
// message that names it (a refusal quotes the server). Cancel ends it silently, by dropping the
// connection: a message is never ended with "." once Cancel was pressed. Platform-free.
#pragma once

#include "mail/MailChannel.h"
#include "mail/MailJob.h"
#include "mail/SmtpLogin.h"
#include "mail/SmtpReply.h"

class CSmtpConversation {
 public:
  // How long the server has for each reply, and for the reply to QUIT, which decides nothing.
  static constexpr uint32_t kReplyLimitMs = 90000;
  static constexpr uint32_t kQuitLimitMs = 10000;
  // At most this many refused recipients are named in the message after a send.
  static constexpr int kRefusalsNamed = 10;

  CSmtpConversation(MailJob& job, const MailServerOptions& server, IMailChannel& channel,
                    IMailEnvironment& environment)
      : m_job(job),
        m_server(server),
        m_channel(channel),
        m_environment(environment),
        m_reader(channel, environment) {}

  // Sends the message; true when the server accepted it (and it was not cancelled). Consumes
  // the recipient list, the body and the attachments.
  bool Run();
  // Connects, secures, logs in and quits; true (after saying so) when all of it worked.
  bool RunTest();
  // The To header as built by the recipient phase, without its CR LF (for tests).
  const CString& ToHeader() const { return m_toHeader; }

 private:
  // From the first byte to the login: false (after its message) when the session cannot go on.
  bool Open();
  bool Secure();
  bool Login(const ServerExtensions& extensions);
  // XOAUTH2 or OAUTHBEARER with the access token; a token the server calls expired is renewed
  // once and tried again.
  bool BearerLogin(const ServerExtensions& extensions);
  // AUTH with its initial response, on the command line when it fits, else after a 334.
  SmtpReply Authenticate(const char* mechanism, const CString& response);
  // One message of the job (`numbering` follows its subject): MAIL FROM to the reply to ".".
  bool Transaction(const CString& numbering);
  // The recipient phase; false when no recipient was accepted.
  bool Recipients();
  SmtpReply Command(const CString& text);
  // Ends a conversation that cannot go on because of `reply`: its message (`refusedId` for a
  // refusal, with the reply quoted), then QUIT where the connection can still carry it.
  // Returns false.
  bool Fail(const SmtpReply& reply, unsigned refusedId);
  void Quit();

  MailJob& m_job;
  const MailServerOptions& m_server;
  IMailChannel& m_channel;
  IMailEnvironment& m_environment;
  CReplyReader m_reader;
  ServerExtensions m_extensions;  // of the last EHLO
  CString m_toHeader;
  CString m_refusals;  // "address: reply" of refused recipients, one a line
  int m_refusedCount = 0;
};
