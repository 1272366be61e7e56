// Conversation transcripts of the sign-in with OAuth (OAUTHBEARER preferred, XOAUTH2, the long
// initial response, the failure challenge and one renewal) and of the server's size limit
// (SIZE= on MAIL FROM, a message refused before it goes, a split into numbered messages).
#include <gtest/gtest.h>

#include "MailFakes.h"
#include "mail/Base64.h"
#include "mail/SaslBearer.h"
#include "mail/SmtpConversation.h"

namespace {
class FakeToken : public IBearerToken {
 public:
  std::vector<std::string> tokens = {"tok1", "tok2"};
  size_t at = 0;
  bool renews = true;
  int renewals = 0;
  CString AccessToken() override { return tokens[at].c_str(); }
  bool Renew() override {
    ++renewals;
    if (!renews) return false;
    ++at;
    return true;
  }
};

struct Session {
  MailJob job;
  MailServerOptions server;
  FakeChannel channel;
  FakeEnvironment env;
  FakeToken token;
  bool result = false;
  explicit Session(const char* ehlo) {
    job.sender = "ann@x.example";
    job.recipients.Add("desk@y.example");
    job.subject = "Scan";
    server.host = "smtp.x.example";
    server.port = 465;
    server.security = kSecurityTls;
    server.user = "ann@x.example";
    server.bearer = &token;
    channel.replies = {"220 hi\r\n", ehlo};
  }
  std::string Run() {
    result = CSmtpConversation(job, server, channel, env).Run();
    return channel.Wire();
  }
  void Delivers() {
    for (const char* r : {"250 from\r\n", "250 rcpt\r\n", "354 go\r\n", "250 queued\r\n", "221 bye\r\n"})
      channel.replies.push_back(r);
  }
};

const char kBoth[] = "250-hi\r\n250-AUTH PLAIN XOAUTH2 OAUTHBEARER\r\n250 SIZE 0\r\n";
const char kXOAuth2[] = "250-hi\r\n250 AUTH XOAUTH2\r\n";

std::string Bearer(const char* token) {
  return "AUTH OAUTHBEARER " + OAuthBearerResponse("ann@x.example", "smtp.x.example", 465, token).str() +
         "\r\n";
}
}  // namespace

TEST(BearerConversation, OAuthBearerIsPreferredAndXOAuth2TakenWhenAlone) {
  Session both(kBoth);
  both.channel.replies.push_back("235 ok\r\n");
  both.Delivers();
  const std::string wire = both.Run();
  EXPECT_TRUE(both.result);
  EXPECT_NE(wire.find("EHLO x.example\r\n" + Bearer("tok1") + "MAIL FROM: <ann@x.example> SIZE="),
            std::string::npos)
      << wire;

  Session alone(kXOAuth2);
  alone.channel.replies.push_back("235 ok\r\n");
  alone.Delivers();
  const std::string xoauth = alone.Run();
  EXPECT_NE(xoauth.find("AUTH XOAUTH2 " + XOAuth2Response("ann@x.example", "tok1").str() +
                        "\r\nMAIL FROM: <ann@x.example>\r\n"),
            std::string::npos);

  Session none("250-hi\r\n250 AUTH PLAIN LOGIN\r\n");
  none.channel.replies.push_back("221 bye\r\n");
  EXPECT_EQ(none.Run(), "<TLS>EHLO x.example\r\nQUIT\r\n");
  EXPECT_EQ(none.env.messages, std::vector<unsigned>{IDS_OAUTH_NOT_OFFERED});
}

TEST(BearerConversation, LongInitialResponseFollowsAnEmptyChallenge) {
  Session s(kXOAuth2);
  s.token.tokens = {std::string(1200, 'T')};
  s.channel.replies.push_back("334 \r\n");
  s.channel.replies.push_back("235 ok\r\n");
  s.Delivers();
  const std::string wire = s.Run();
  EXPECT_NE(wire.find("AUTH XOAUTH2\r\n" + XOAuth2Response("ann@x.example", s.token.tokens[0].c_str()).str() +
                      "\r\nMAIL FROM"),
            std::string::npos);
  EXPECT_TRUE(s.result);
}

TEST(BearerConversation, ExpiredTokenIsRenewedOnceAfterTheChallengeIsAnswered) {
  const std::string expired = "334 " + Base64Text(R"({"status":"invalid_token","scope":"s"})").str() + "\r\n";
  Session s(kBoth);
  s.channel.replies.insert(s.channel.replies.end(), {expired, "535 5.7.8 no\r\n", "235 ok\r\n"});
  s.Delivers();
  const std::string wire = s.Run();
  EXPECT_TRUE(s.result);
  EXPECT_EQ(s.token.renewals, 1);
  EXPECT_NE(wire.find(Bearer("tok1") + "AQ==\r\n" + Bearer("tok2") + "MAIL FROM"), std::string::npos) << wire;

  // Expired again: no second renewal, the refusal is quoted.
  Session twice(kBoth);
  twice.channel.replies.insert(twice.channel.replies.end(), {expired, "535 5.7.8 no\r\n", expired,
                                                             "535 5.7.8 still no\r\n", "221 bye\r\n"});
  twice.Run();
  EXPECT_FALSE(twice.result);
  EXPECT_EQ(twice.token.renewals, 1);
  EXPECT_EQ(twice.env.messages, std::vector<unsigned>{IDS_OAUTH_REFUSED});
  EXPECT_EQ(twice.env.quotes[0], "535 5.7.8 still no");

  // A refusal for another reason renews nothing; a renewal that fails says so itself.
  Session scope(kXOAuth2);
  scope.channel.replies.insert(scope.channel.replies.end(),
                               {"334 " + Base64Text(R"({"status":"insufficient_scope"})").str() + "\r\n",
                                "535 5.7.8 scope\r\n", "221 bye\r\n"});
  EXPECT_NE(scope.Run().find("\r\n\r\nQUIT\r\n"), std::string::npos);  // XOAUTH2 answers with an empty line
  EXPECT_EQ(scope.token.renewals, 0);
  Session fails(kBoth);
  fails.token.renews = false;
  fails.channel.replies.insert(fails.channel.replies.end(), {expired, "535 5.7.8 no\r\n", "221 bye\r\n"});
  EXPECT_EQ(fails.Run(), "<TLS>EHLO x.example\r\n" + Bearer("tok1") + "AQ==\r\nQUIT\r\n");
  EXPECT_TRUE(fails.env.messages.empty());
}

TEST(SizeConversation, SizeGivenIsTheContentsSizeAndTooLargeSendsNothing) {
  Session s("250-hi\r\n250-SIZE 35882577\r\n250 AUTH OAUTHBEARER\r\n");
  s.job.body = "Hello";
  s.job.attachments.Add("C:\\TEMP\\P1.JPG");
  s.env.files["C:\\TEMP\\P1.JPG"] = Bytes(5000);
  s.channel.replies.push_back("235 ok\r\n");
  s.Delivers();
  const std::string wire = s.Run();
  const size_t from = wire.find("MAIL FROM: <ann@x.example> SIZE=");
  ASSERT_NE(from, std::string::npos);
  const uint64_t given = std::stoull(wire.substr(from + 32));
  const size_t content = wire.find("DATA\r\n") + 6;
  EXPECT_EQ(given, wire.find("\r\n.\r\n", content) + 2 - content);

  Session big("250-hi\r\n250-SIZE 4000\r\n250 AUTH OAUTHBEARER\r\n");
  big.job.attachments.Add("C:\\TEMP\\P1.JPG");
  big.env.files["C:\\TEMP\\P1.JPG"] = Bytes(5000);
  big.channel.replies.insert(big.channel.replies.end(), {"235 ok\r\n", "221 bye\r\n"});
  EXPECT_EQ(big.Run().substr(big.channel.Wire().size() - 6), "QUIT\r\n");
  EXPECT_EQ(big.channel.Wire().find("MAIL FROM"), std::string::npos);
  EXPECT_EQ(big.env.messages, std::vector<unsigned>{IDS_MESSAGE_TOO_LARGE});
  EXPECT_EQ(big.env.quotes[0], "8 KB|4 KB");
}

TEST(SizeConversation, PagesOverTheLimitGoAsNumberedMessagesInOneSession) {
  Session s("250-hi\r\n250-SIZE 9000\r\n250 AUTH OAUTHBEARER\r\n");
  for (int i = 1; i <= 3; ++i) {
    const std::string path = "C:\\TEMP\\P" + std::to_string(i) + ".JPG";
    s.job.attachments.Add(path.c_str());
    s.env.files[path] = Bytes(3000, i);  // about 4 KB in base64: two fit, three do not
  }
  s.channel.replies.push_back("235 ok\r\n");
  for (const char* r : {"250 from\r\n", "250 rcpt\r\n", "354 go\r\n", "250 queued\r\n", "250 from\r\n",
                        "250 rcpt\r\n", "354 go\r\n", "250 queued\r\n", "221 bye\r\n"})
    s.channel.replies.push_back(r);
  const std::string wire = s.Run();
  EXPECT_TRUE(s.result);
  const size_t second = wire.find("Subject: Scan (2 of 2)\r\n");
  ASSERT_NE(second, std::string::npos) << wire;
  const std::string first = wire.substr(0, second);
  EXPECT_NE(first.find("Subject: Scan (1 of 2)\r\n"), std::string::npos);
  EXPECT_NE(first.find("name=\"P1.JPG\""), std::string::npos);
  EXPECT_NE(first.find("name=\"P2.JPG\""), std::string::npos);
  EXPECT_EQ(first.find("name=\"P3.JPG\""), std::string::npos);
  EXPECT_NE(wire.find("name=\"P3.JPG\"", second), std::string::npos);
  // Two transactions of the same recipient and body, then one QUIT.
  size_t count = 0;
  for (size_t at = 0; (at = wire.find("RCPT TO: <desk@y.example>", at)) != std::string::npos; ++at) ++count;
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(wire.substr(wire.size() - 6), "QUIT\r\n");
}

TEST(SizeConversation, ExtensionsReadTheSizeLimit) {
  SmtpReply ehlo;
  ehlo.status = SmtpReply::kComplete;
  ehlo.code = 250;
  ehlo.lines = {"hi", "size 35882577", "AUTH XOAUTH2 OAUTHBEARER"};
  ServerExtensions e = ReadExtensions(ehlo);
  EXPECT_TRUE(e.size && e.authXOAuth2 && e.authOAuthBearer);
  EXPECT_EQ(e.sizeLimit, 35882577u);
  for (const char* word : {"SIZE", "SIZE 0", "SIZE 12x", "SIZE 1234567890123456"}) {
    ehlo.lines = {"hi", word};
    e = ReadExtensions(ehlo);
    EXPECT_TRUE(e.size);
    EXPECT_EQ(e.sizeLimit, 0u) << word;
  }
}
