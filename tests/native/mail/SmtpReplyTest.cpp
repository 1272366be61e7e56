// The reply reader: whole multi-line replies, the caps, one time limit per wait, Cancel; and
// the EHLO keywords and login responses read from replies.
#include <gtest/gtest.h>

#include "MailFakes.h"
#include "mail/Base64.h"
#include "mail/SmtpLogin.h"
#include "mail/SmtpReply.h"

namespace {
// A server that sends `stream` `bytesPerWait` bytes at a time, each after `msPerWait` on the
// fake clock; silent (or closed) after it.
class TrickleChannel : public FakeChannel {
 public:
  std::string stream;
  size_t bytesPerWait = 1;
  uint32_t msPerWait = 100;
  size_t at = 0;
  int waits = 0;
  Received Receive(std::string& into, uint32_t waitMs) override {
    ++waits;
    if (at >= stream.size()) return FakeChannel::Receive(into, waitMs);
    now += std::min(msPerWait, waitMs);
    if (msPerWait > waitMs) return kNothing;
    const size_t n = std::min(bytesPerWait, stream.size() - at);
    into.append(stream, at, n);
    at += n;
    return kData;
  }
};

struct Reader {
  TrickleChannel channel;
  FakeEnvironment env;
  CReplyReader reader{channel, env};
  SmtpReply Read(uint32_t limitMs = 90000) { return reader.Read(limitMs); }
};
}  // namespace

TEST(SmtpReply, LinesOfOneReplyAreReadWholeInAnyPieces) {
  for (size_t piece : {1u, 3u, 1000u}) {
    Reader r;
    r.channel.stream = "250-mail.x\r\n250-SIZE 10\n250 AUTH PLAIN\r\n220 next\r\n354\r\n";
    r.channel.bytesPerWait = piece;
    SmtpReply reply = r.Read();
    EXPECT_EQ(reply.status, SmtpReply::kComplete);
    EXPECT_EQ(reply.code, 250);
    EXPECT_EQ(reply.lines, (std::vector<CString>{"mail.x", "SIZE 10", "AUTH PLAIN"}));
    EXPECT_EQ(r.Read().lines, std::vector<CString>{"next"});
    reply = r.Read();
    EXPECT_TRUE(reply.Is(3));
    EXPECT_EQ(reply.lines, std::vector<CString>{""});
    EXPECT_FALSE(r.reader.HasUnread());
  }
}

TEST(SmtpReply, WhatIsNoReplyIsMalformed) {
  for (const char* stream :
       {"250-a\r\n251 b\r\n", "250x\r\n", "25\r\n", "abc def\r\n", "650 six\r\n", "\r\n"}) {
    Reader r;
    r.channel.stream = stream;
    EXPECT_EQ(r.Read().status, SmtpReply::kMalformed) << stream;
  }
}

TEST(SmtpReply, LinesAndRepliesAreCapped) {
  Reader longLine;
  longLine.channel.stream = "250 " + std::string(2000, 'x') + "\r\n";
  longLine.channel.bytesPerWait = 4096;
  EXPECT_EQ(longLine.Read().status, SmtpReply::kTooLong);

  // A line that never ends stops growing at the cap, long before the time limit.
  Reader endless;
  endless.channel.stream = "250 " + std::string(100000, 'x');
  endless.channel.bytesPerWait = 64;
  endless.channel.msPerWait = 1;
  EXPECT_EQ(endless.Read().status, SmtpReply::kTooLong);
  EXPECT_LT(endless.channel.at, CReplyReader::kMaxLineLength + 64);

  Reader many;
  for (int i = 0; i < 200; ++i) many.channel.stream += "250-line\r\n";
  many.channel.bytesPerWait = 4096;
  EXPECT_EQ(many.Read().status, SmtpReply::kTooLong);
}

TEST(SmtpReply, TricklingDoesNotExtendTheWait) {
  Reader r;
  std::string lines;
  for (int i = 0; i < 500; ++i) lines += "250-more\r\n";
  r.channel.stream = lines;  // a byte every 100 ms: 5000 bytes would take 500 s
  const SmtpReply reply = r.Read(90000);
  EXPECT_EQ(reply.status, SmtpReply::kTimedOut);
  EXPECT_EQ(r.channel.now, 90000u);

  Reader silent;
  EXPECT_EQ(silent.Read(90000).status, SmtpReply::kTimedOut);
  EXPECT_EQ(silent.channel.now, 90000u);
  EXPECT_EQ(silent.channel.waits, 360);  // slices of 250 ms, so that Cancel is looked at
}

TEST(SmtpReply, CancelCloseAndFailureEndTheWait) {
  Reader cancelled;
  cancelled.channel.stream = "250-a\r\n";
  cancelled.env.cancelled = true;
  EXPECT_EQ(cancelled.Read().status, SmtpReply::kCancelled);

  Reader closed;
  closed.channel.stream = "250-a\r\n250 b";
  closed.channel.closesAtEnd = true;
  EXPECT_EQ(closed.Read().status, SmtpReply::kClosed);

  Reader failed;
  failed.channel.aborted = true;
  EXPECT_EQ(failed.Read().status, SmtpReply::kFailed);
}

TEST(SmtpReply, QuoteShowsCodesAndTextSafely) {
  SmtpReply reply;
  reply.status = SmtpReply::kComplete;
  reply.code = 554;
  reply.lines = {"5.7.1 rejected\x07 as spam", "", std::string(300, 'y')};
  const std::string quote = reply.Quote().str();
  EXPECT_EQ(quote, "554 5.7.1 rejected  as spam\n554\n554 " + std::string(SmtpReply::kQuoteLength, 'y'));
  reply.lines.assign(20, "x");
  const std::string capped = reply.Quote().str();
  EXPECT_EQ(std::count(capped.begin(), capped.end(), '\n'), static_cast<long>(SmtpReply::kQuoteLines - 1));
}

TEST(SmtpLogin, ExtensionsOfAnEhloReply) {
  SmtpReply ehlo;
  ehlo.status = SmtpReply::kComplete;
  ehlo.code = 250;
  ehlo.lines = {"mail.x STARTTLS AUTH PLAIN", "SIZE 1000", "starttls", "auth  cram-md5 login"};
  ServerExtensions e = ReadExtensions(ehlo);
  EXPECT_TRUE(e.startTls);
  EXPECT_TRUE(e.authLogin);
  EXPECT_FALSE(e.authPlain);  // the greeting line names no extension
  ehlo.lines = {"mail.x", "AUTH=PLAIN"};
  e = ReadExtensions(ehlo);
  EXPECT_TRUE(e.authPlain);
  EXPECT_FALSE(e.startTls || e.authLogin);
}

TEST(SmtpLogin, ResponsesAndWiping) {
  EXPECT_EQ(PlainResponse("ann", "secret"), "AGFubgBzZWNyZXQ=");
  EXPECT_EQ(Base64Text(""), "");
  EXPECT_EQ(Base64Text(std::string("\xff\xfe\x00", 3)), "//4A");
  MailServerOptions server;
  server.security = kSecurityTls;
  server.user = "ann";
  EXPECT_TRUE(server.LogsIn());
  server.security = kSecurityNone;
  EXPECT_FALSE(server.LogsIn());
  server.password = "secret";
  server.Clear();
  EXPECT_TRUE(server.user.IsEmpty() && server.password.IsEmpty());
}
