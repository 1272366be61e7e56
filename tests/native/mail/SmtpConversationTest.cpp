// SMTP conversation transcripts over a scripted channel: the plain dialogue, every refusal,
// the secured ones (TLS, STARTTLS) with their logins, Cancel and silent servers.
#include <gtest/gtest.h>

#include "MailFakes.h"
#include "mail/SmtpConversation.h"

namespace {
struct Session {
  MailJob job;
  MailServerOptions server;
  FakeChannel channel;
  FakeEnvironment env;
  CString toHeader;
  bool result = false;
  std::string Run() {
    CSmtpConversation conversation(job, server, channel, env);
    result = conversation.Run();
    toHeader = conversation.ToHeader();
    return channel.Wire();
  }
  // Runs the conversation, which must fail with `message` (quoting `quote`) and `wire` sent.
  void ExpectFailure(const std::string& wire, unsigned message, const std::string& quote) {
    EXPECT_EQ(Run(), wire);
    EXPECT_FALSE(result);
    EXPECT_EQ(env.messages, std::vector<unsigned>{message});
    EXPECT_EQ(env.quotes.empty() ? "" : env.quotes[0], quote);
  }
  std::string Test() {
    result = CSmtpConversation(job, server, channel, env).RunTest();
    return channel.Wire();
  }
  // The sender me@x and the one recipient a@y.
  void Addressed() {
    job.sender = "me@x";
    job.recipients.Add("a@y");
  }
  // A sender and one recipient, secured as `security`, logging in as ann (password "secret").
  void Secured(MailSecurity security, bool login = true) {
    Addressed();
    server.host = "mail.x";
    server.security = security;
    if (login) {
      server.user = "ann";
      server.password = "secret";
    }
  }
};

const char kEhlo[] = "250-mail.x greets you\r\n250-PIPELINING\r\n250-STARTTLS\r\n250 AUTH LOGIN PLAIN\r\n";
const char kMessageReplies[][16] = {"250 from\r\n", "250 rcpt\r\n", "354 go\r\n", "250 queued\r\n",
                                    "221 bye\r\n"};

// The wire starts with `head` (shown whole when not).
::testing::AssertionResult Begins(const std::string& wire, const std::string& head) {
  if (wire.compare(0, head.size(), head) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << wire;
}

void AddMessageReplies(FakeChannel& channel) {
  for (const char* reply : kMessageReplies) channel.replies.push_back(reply);
}
}  // namespace

TEST(SmtpConversation, AcceptedMessageWithTwoRecipients) {
  Session s;
  s.job.sender = "scan@office.example";
  s.job.recipients.Add("ann@a.example");
  s.job.recipients.Add("bob@b.example");
  s.job.subject = "S";
  s.job.body = "B";
  s.channel.replies = {"220 hi\r\n", "250 hello\r\n", "250 ok\r\n",     "250 ok\r\n",
                       "250 ok\r\n", "354 go\r\n",    "250 queued\r\n", "221 bye\r\n"};
  EXPECT_EQ(s.Run(),
            "HELO office.example\r\n"
            "MAIL FROM: <scan@office.example>\r\n"
            "RCPT TO: <ann@a.example>\r\n"
            "RCPT TO: <bob@b.example>\r\n"
            "DATA\r\n"
            "To: <ann@a.example> , <bob@b.example>\r\n"
            "From: scan@office.example\r\n"
            "Subject: S\r\n"
            "MIME-Version: 1.0\r\n"
            "\r\n"
            "B\r\n"
            ".\r\n"
            "QUIT\r\n");
  EXPECT_TRUE(s.result);
  EXPECT_EQ(s.channel.nextReply, 8u);
  EXPECT_TRUE(s.env.messages.empty());
  EXPECT_TRUE(s.job.recipients.IsEmpty());
  ASSERT_FALSE(s.env.progress.empty());
  EXPECT_EQ(s.env.progress[0].code, kProgressDataStart);
}

TEST(SmtpConversation, ToHeaderNamesRecipientsFromTheFirstAccepted) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("first@x");
  s.job.recipients.Add("second@x");
  s.job.recipients.Add("third@x");
  s.channel.replies = {"220\r\n",    "250\r\n", "250\r\n", "550 no\r\n", "250 ok\r\n",
                       "550 no\r\n", "354\r\n", "250\r\n", "221\r\n"};
  const std::string wire = s.Run();
  EXPECT_EQ(s.toHeader, "To: <second@x> , <third@x>");
  EXPECT_NE(wire.find("DATA\r\nTo: <second@x> , <third@x>\r\n"), std::string::npos);
  // Sent to the one accepted; the two refusals are named afterwards.
  EXPECT_TRUE(s.result);
  EXPECT_EQ(s.env.messages, std::vector<unsigned>{IDS_SOME_RECIPIENTS_REFUSED});
  EXPECT_EQ(s.env.quotes[0], "first@x: 550 no\nthird@x: 550 no");

  Session t;
  t.job.sender = "me@x";
  t.job.recipients.Add("one@x");
  t.job.recipients.Add("two@x");
  t.channel.replies = {"220\r\n", "250\r\n", "250\r\n", "250\r\n",
                       "550\r\n", "354\r\n", "250\r\n", "221\r\n"};
  t.Run();
  EXPECT_EQ(t.toHeader, "To: <one@x> , <two@x>");
}

TEST(SmtpConversation, RefusalsEndWithAMessageAndQuit) {
  struct Case {
    std::vector<std::string> replies;
    std::string wire;
    unsigned message;
    std::string quote;
  };
  const Case cases[] = {
      {{"554 no service here\r\n", "221\r\n"}, "QUIT\r\n", IDS_SERVER_NOT_READY, "554 no service here"},
      {{"220\r\n", "502 no HELO\r\n", "221\r\n"}, "HELO x\r\nQUIT\r\n", IDS_SERVER_REJECTS, "502 no HELO"},
      {{"220\r\n", "250\r\n", "553 who?\r\n", "221\r\n"},
       "HELO x\r\nMAIL FROM: <me@x>\r\nQUIT\r\n",
       IDS_SERVER_REJECTS,
       "553 who?"},
      {{"220\r\n", "250\r\n", "250\r\n", "550 no a\r\n", "551 no b\r\n", "221\r\n"},
       "HELO x\r\nMAIL FROM: <me@x>\r\nRCPT TO: <a@y>\r\nRCPT TO: <b@y>\r\nQUIT\r\n",
       IDS_RECIPIENTS_REFUSED,
       "551 no b"},
      // A refused DATA gets no content: the server would read its lines as commands.
      {{"220\r\n", "250\r\n", "250\r\n", "250\r\n", "250\r\n", "554-too many\r\n554 messages\r\n", "221\r\n"},
       "HELO x\r\nMAIL FROM: <me@x>\r\nRCPT TO: <a@y>\r\nRCPT TO: <b@y>\r\nDATA\r\nQUIT\r\n",
       IDS_MESSAGE_REFUSED,
       "554 too many\n554 messages"},
  };
  for (const Case& c : cases) {
    Session s;
    s.Addressed();
    s.job.recipients.Add("b@y");
    s.channel.replies = c.replies;
    s.ExpectFailure(c.wire, c.message, c.quote);
  }
}

TEST(SmtpConversation, MessageRefusedAfterItsDataIsReported) {
  Session s;
  s.Addressed();
  s.channel.replies = {"220\r\n", "250\r\n", "250\r\n", "250\r\n", "354\r\n", "552 5.3.4 too big\r\n",
                       "221\r\n"};
  const std::string wire = s.Run();
  EXPECT_EQ(wire.substr(wire.size() - 11), "\r\n.\r\nQUIT\r\n");
  EXPECT_FALSE(s.result);
  EXPECT_EQ(s.env.messages, std::vector<unsigned>{IDS_MESSAGE_REFUSED});
  EXPECT_EQ(s.env.quotes[0], "552 5.3.4 too big");
}

TEST(SmtpConversation, MailFrom251IsAccepted) {
  Session s;
  s.Addressed();
  s.channel.replies = {"220\r\n", "250\r\n", "251 forwarded\r\n", "250\r\n", "354\r\n", "250\r\n", "221\r\n"};
  EXPECT_NE(s.Run().find("RCPT TO: <a@y>\r\nDATA\r\n"), std::string::npos);
  EXPECT_TRUE(s.result);
  EXPECT_TRUE(s.env.messages.empty());
}

TEST(SmtpConversation, MultiLineRepliesAreReadWhole) {
  Session s;
  s.Addressed();
  // A two-line greeting, and a refusal of the recipient that must not pass as accepted.
  s.channel.replies = {"220-first\r\n",
                       "220 second\r\n",
                       "250-helo\r\n250 more\r\n",
                       "250 from\r\n",
                       "550-no such\r\n550 user\r\n",
                       "221 bye\r\n"};
  EXPECT_EQ(s.Run(), "HELO x\r\nMAIL FROM: <me@x>\r\nRCPT TO: <a@y>\r\nQUIT\r\n");
  EXPECT_FALSE(s.result);
  EXPECT_EQ(s.env.quotes[0], "550 no such\n550 user");
}

TEST(SmtpConversation, ConnectionFaultsEndWithTheirMessage) {
  // A silent server: one time-out, then QUIT with its shorter wait.
  Session silent;
  silent.Addressed();
  silent.channel.replies = {"220 hi\r\n"};
  silent.ExpectFailure("HELO x\r\nQUIT\r\n", IDS_NETWORK_TIMED_OUT, "");
  EXPECT_EQ(silent.channel.now, CSmtpConversation::kReplyLimitMs + CSmtpConversation::kQuitLimitMs);

  Session closed;
  closed.Addressed();
  closed.channel.replies = {"220 hi\r\n", "250 hello\r\n"};
  closed.channel.closesAtEnd = true;
  closed.ExpectFailure("HELO x\r\nMAIL FROM: <me@x>\r\n<ABORT>", IDS_CONNECTION_LOST, "");

  Session garbage;
  garbage.Addressed();
  garbage.channel.replies = {"HTTP/1.1 400 Bad Request\r\n"};
  garbage.ExpectFailure("<ABORT>", IDS_BAD_REPLY, "");
}

TEST(SmtpConversation, CancelInAReplyWaitDropsTheConnectionSilently) {
  Session s;
  s.Addressed();
  s.env.cancelled = true;  // pressed while the greeting was awaited
  EXPECT_EQ(s.Run(), "<ABORT>");
  EXPECT_FALSE(s.result);
  EXPECT_TRUE(s.env.messages.empty());
  EXPECT_EQ(s.channel.now, 0u);
}

TEST(SmtpConversation, CancelDuringTheContentGivesTheMessageUp) {
  // In every mode, pressed while a file or the body goes out: the connection is dropped after
  // that line, with no "." and no QUIT, no message; nothing after DATA's 354 is waited for.
  const std::vector<std::string> opening[] = {{"220\r\n", "250\r\n"},
                                              {"220 hi\r\n", kEhlo, "220 go ahead\r\n", kEhlo, "235 ok\r\n"},
                                              {"220 hi\r\n", kEhlo, "235 ok\r\n"}};
  for (const MailSecurity security : {kSecurityNone, kSecurityStartTls, kSecurityTls}) {
    for (const bool attachment : {true, false}) {
      Session s;
      s.Secured(security);
      s.job.body = "typed";
      if (attachment) {
        s.job.attachments.Add("f.bin");
        s.env.files["f.bin"] = Bytes(2000);
        s.env.cancelAtPosition = 2;
      } else {
        s.channel.onSend = [&s](const std::string& text) { s.env.cancelled |= text == "typed\r\n"; };
      }
      s.channel.replies = opening[security];
      AddMessageReplies(s.channel);
      const std::string wire = s.Run();
      const std::string last = attachment ? ReferenceBase64(Bytes(2000)).substr(680, 680) : "typed";
      EXPECT_EQ(wire.substr(wire.size() - last.size() - 9), last + "\r\n<ABORT>") << security << attachment;
      EXPECT_EQ(s.channel.nextReply, opening[security].size() + 3);
      EXPECT_FALSE(s.result);
      EXPECT_TRUE(s.env.messages.empty());
    }
  }
}

TEST(SmtpConversation, StartTlsThenPlainLogin) {
  Session s;
  s.Secured(kSecurityStartTls);
  s.channel.replies = {"220 hi\r\n", kEhlo, "220 go ahead\r\n", kEhlo, "235 ok\r\n"};
  AddMessageReplies(s.channel);
  const std::string wire = s.Run();
  EXPECT_TRUE(
      Begins(wire,
             "EHLO x\r\nSTARTTLS\r\n<TLS>EHLO x\r\nAUTH PLAIN AGFubgBzZWNyZXQ=\r\nMAIL FROM: <me@x>\r\n"
             "RCPT TO: <a@y>\r\nDATA\r\n"));
  EXPECT_TRUE(s.result);
  EXPECT_TRUE(s.env.messages.empty());
}

TEST(SmtpConversation, TlsFromTheFirstByteAndLoginWithoutPlain) {
  Session s;
  s.Secured(kSecurityTls);
  s.channel.replies = {"220 hi\r\n", "250-mail.x\r\n250 AUTH=LOGIN\r\n", "334 VXNlcm5hbWU6\r\n",
                       "334 UGFzc3dvcmQ6\r\n", "235 ok\r\n"};
  AddMessageReplies(s.channel);
  EXPECT_TRUE(Begins(s.Run(), "<TLS>EHLO x\r\nAUTH LOGIN\r\nYW5u\r\nc2VjcmV0\r\nMAIL FROM: <me@x>\r\n"));
  EXPECT_TRUE(s.result);

  // A prompt that is no SMTP reply (its lines' codes differ) gets neither name nor password.
  Session malformed;
  malformed.Secured(kSecurityTls);
  malformed.channel.replies = {"220 hi\r\n", "250-mail.x\r\n250 AUTH=LOGIN\r\n", "334-VXNl\r\n335 cm5h\r\n"};
  malformed.ExpectFailure("<TLS>EHLO x\r\nAUTH LOGIN\r\n<ABORT>", IDS_BAD_REPLY, "");
}

TEST(SmtpConversation, SecuringFailuresSendNothingMore) {
  struct Case {
    MailSecurity security;
    std::vector<std::string> replies;
    TlsResult tls;
    std::string wire;
    unsigned message;
    std::string quote;
  };
  const Case cases[] = {
      {kSecurityStartTls,
       {"220\r\n", kEhlo, "220 go\r\n"},
       TlsResult::kUntrusted,
       "EHLO x\r\nSTARTTLS\r\n<TLS><ABORT>",
       IDS_TLS_UNTRUSTED,
       "0x800B0109"},
      {kSecurityTls, {}, TlsResult::kWrongName, "<TLS><ABORT>", IDS_TLS_WRONG_NAME, "mail.x"},
      {kSecurityTls, {}, TlsResult::kExpired, "<TLS><ABORT>", IDS_TLS_EXPIRED, "0x800B0109"},
      {kSecurityTls, {}, TlsResult::kHandshakeFailed, "<TLS><ABORT>", IDS_TLS_FAILED, "0x800B0109"},
      {kSecurityStartTls,
       {"220\r\n", "250-mail.x\r\n250 AUTH PLAIN\r\n", "221\r\n"},
       TlsResult::kSecured,
       "EHLO x\r\nQUIT\r\n",
       IDS_STARTTLS_NOT_OFFERED,
       ""},
      {kSecurityStartTls,
       {"220\r\n", kEhlo, "454 TLS not available\r\n", "221\r\n"},
       TlsResult::kSecured,
       "EHLO x\r\nSTARTTLS\r\nQUIT\r\n",
       IDS_STARTTLS_REFUSED,
       "454 TLS not available"},
  };
  for (const Case& c : cases) {
    Session s;
    s.Secured(c.security);
    s.channel.replies = c.replies;
    s.channel.tls = c.tls;
    s.channel.tlsError = 0x800B0109;
    s.ExpectFailure(c.wire, c.message, c.quote);
  }
}

TEST(SmtpConversation, LoginFailuresEndBeforeMailFrom) {
  Session refused;
  refused.Secured(kSecurityTls);
  refused.channel.replies = {"220\r\n", kEhlo, "535 5.7.8 bad credentials\r\n", "221\r\n"};
  EXPECT_EQ(refused.Run(), "<TLS>EHLO x\r\nAUTH PLAIN AGFubgBzZWNyZXQ=\r\nQUIT\r\n");
  EXPECT_EQ(refused.env.messages, std::vector<unsigned>{IDS_LOGIN_REFUSED});
  EXPECT_EQ(refused.env.quotes[0], "535 5.7.8 bad credentials");

  Session none;
  none.Secured(kSecurityTls);
  none.channel.replies = {"220\r\n", "250-mail.x\r\n250 AUTH CRAM-MD5\r\n", "221\r\n"};
  EXPECT_EQ(none.Run(), "<TLS>EHLO x\r\nQUIT\r\n");
  EXPECT_EQ(none.env.messages, std::vector<unsigned>{IDS_LOGIN_NOT_OFFERED});
  EXPECT_FALSE(refused.result || none.result);
}

TEST(SmtpConversation, NoLoginWithoutSecurity) {
  Session s;
  s.Secured(kSecurityNone);
  s.channel.replies = {"220\r\n", "250 hello\r\n"};
  AddMessageReplies(s.channel);
  EXPECT_TRUE(Begins(s.Run(), "HELO x\r\nMAIL FROM: <me@x>\r\n"));
  EXPECT_TRUE(s.result);
}

TEST(SmtpConversation, BytesAheadOfTheSecuredConnectionAreDropped) {
  Session s;
  s.Secured(kSecurityStartTls);
  // Injected after the STARTTLS reply: read as the secured EHLO's reply, it would hide AUTH.
  s.channel.replies = {"220\r\n", kEhlo, "220 go\r\n250 injected\r\n", kEhlo, "235 ok\r\n"};
  AddMessageReplies(s.channel);
  EXPECT_NE(s.Run().find("<TLS>EHLO x\r\nAUTH PLAIN "), std::string::npos);
  EXPECT_TRUE(s.result);
}

TEST(SmtpConversation, ConnectionTestLogsInAndQuits) {
  Session s;
  s.Secured(kSecurityStartTls);
  s.job.recipients.RemoveAll();
  s.channel.replies = {"220 hi\r\n", kEhlo, "220 go\r\n", kEhlo, "235 ok\r\n", "221 bye\r\n"};
  EXPECT_EQ(s.Test(), "EHLO x\r\nSTARTTLS\r\n<TLS>EHLO x\r\nAUTH PLAIN AGFubgBzZWNyZXQ=\r\nQUIT\r\n");
  EXPECT_TRUE(s.result);
  EXPECT_EQ(s.env.messages, std::vector<unsigned>{IDS_TEST_PASSED});
}

TEST(SmtpConversation, SenderGivesTheHeloDomain) {
  const struct {
    const char* sender;
    const char* wire;
  } cases[] = {{"", "HELO \r\nMAIL FROM: <>\r"},
               {"localuser", "HELO localuser\r\n"},
               {"a@b@c.example", "HELO c.example\r\n"}};
  for (const auto& c : cases) {
    Session s;
    s.job.sender = c.sender;
    s.job.recipients.Add("a@y");
    s.channel.replies = {"220\r\n", "250\r\n", "250\r\n", "250\r\n", "354\r\n", "250\r\n", "221\r\n"};
    EXPECT_TRUE(Begins(s.Run(), c.wire));
  }
}

TEST(SmtpConversation, LineBreaksInAddressesNeverStartACommand) {
  Session s;
  s.job.sender = "me@x\r\nRCPT TO: <evil@z>";
  s.job.recipients.Add("a@y\r\nDATA");
  s.job.recipients.Add("b@y\nQUIT");
  s.job.subject = "s\r\n.\r\nMAIL FROM: <x>";
  s.channel.replies = {"220\r\n", "250\r\n", "250\r\n", "250\r\n",
                       "250\r\n", "354\r\n", "250\r\n", "221\r\n"};
  const std::string wire = s.Run();
  EXPECT_NE(wire.find("MAIL FROM: <me@xRCPT TO: <evil@z>>\r\n"), std::string::npos);
  EXPECT_NE(wire.find("RCPT TO: <a@y\x44\x41TA>\r\n"), std::string::npos);
  EXPECT_NE(wire.find("RCPT TO: <b@yQUIT>\r\n"), std::string::npos);
  EXPECT_NE(wire.find("Subject: s . MAIL FROM: <x>\r\n"), std::string::npos);
  EXPECT_EQ(wire.find("\r\nRCPT TO: <evil"), std::string::npos);
  // Exactly the commands of one message, each on its own line.
  size_t lines = 0;
  for (size_t at = wire.find("\r\n"); at != std::string::npos; at = wire.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 5u + 5u + 2u);  // HELO MAIL RCPT RCPT DATA; To From Subject MIME blank; . QUIT
}

TEST(SmtpConversation, RecipientCalledTwiceGetsTwoRcptCommands) {
  Session s;
  s.Addressed();
  s.job.recipients.Add("a@y");
  s.channel.replies = {"220\r\n", "250\r\n", "250\r\n", "250\r\n",
                       "250\r\n", "354\r\n", "250\r\n", "221\r\n"};
  const std::string wire = s.Run();
  EXPECT_NE(wire.find("RCPT TO: <a@y>\r\nRCPT TO: <a@y>\r\n"), std::string::npos);
  EXPECT_EQ(s.toHeader, "To: <a@y> , <a@y>");
}
