// SMTP conversation transcripts over a scripted channel.
#include <gtest/gtest.h>

#include "MailFakes.h"
#include "mail/SmtpConversation.h"

namespace {
struct Session {
  MailJob job;
  FakeChannel channel;
  FakeEnvironment env;
  CString toHeader;
  std::string Run() {
    CSmtpConversation conversation(job, channel, env);
    conversation.Run();
    toHeader = conversation.ToHeader();
    return channel.Wire();
  }
};
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
            "DATA \r\n"
            "To: <ann@a.example> , <bob@b.example>\r\n"
            "From: scan@office.example\r\n"
            "Subject: S\r\n"
            "MIME-Version: 1.0\r\n"
            "\r\n"
            "B\r\n"
            ".\r\n"
            "QUIT\r\n");
  EXPECT_EQ(s.channel.nextReply, 8u);
  EXPECT_TRUE(s.env.messages.empty());
  EXPECT_TRUE(s.job.recipients.IsEmpty());
  ASSERT_FALSE(s.env.progress.empty());
  EXPECT_EQ(s.env.progress[0].code, kProgressDataStart);
}

TEST(SmtpConversation, ToHeaderFor550_250_550) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("first@x");
  s.job.recipients.Add("second@x");
  s.job.recipients.Add("third@x");
  s.channel.replies = {"220\r\n",    "250\r\n", "250\r\n", "550 no\r\n", "250 ok\r\n",
                       "550 no\r\n", "354\r\n", "250\r\n", "221\r\n"};
  const std::string wire = s.Run();
  EXPECT_EQ(s.toHeader, "To: <second@x> , <third@x>\r\n");
  EXPECT_NE(wire.find("DATA \r\nTo: <second@x> , <third@x>\r\n"), std::string::npos);
  EXPECT_NE(wire.find("RCPT TO: <first@x>\r\nRCPT TO: <second@x>\r\nRCPT TO: <third@x>\r\n"),
            std::string::npos);
}

TEST(SmtpConversation, ToHeaderFor250_550) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("one@x");
  s.job.recipients.Add("two@x");
  s.channel.replies = {"220\r\n", "250\r\n", "250\r\n", "250\r\n",
                       "550\r\n", "354\r\n", "250\r\n", "221\r\n"};
  s.Run();
  EXPECT_EQ(s.toHeader, "To: <one@x> , <two@x>\r\n");
}

TEST(SmtpConversation, HeloRefusedShowsMessageAndQuits) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("a@y");
  s.channel.replies = {"220\r\n", "502 no HELO\r\n", "221\r\n"};
  EXPECT_EQ(s.Run(), "HELO x\r\nQUIT\r\n");
  EXPECT_EQ(s.env.messages, std::vector<unsigned>{IDS_SERVER_REJECTS});
}

TEST(SmtpConversation, MailFromRefusedShowsMessageAndQuits) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("a@y");
  s.channel.replies = {"220\r\n", "250\r\n", "553 who?\r\n", "221\r\n"};
  EXPECT_EQ(s.Run(), "HELO x\r\nMAIL FROM: <me@x>\r\nQUIT\r\n");
  EXPECT_EQ(s.env.messages, std::vector<unsigned>{IDS_SERVER_REJECTS});
}

TEST(SmtpConversation, MailFrom251IsAccepted) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("a@y");
  s.channel.replies = {"220\r\n", "250\r\n", "251 forwarded\r\n", "250\r\n", "354\r\n", "250\r\n", "221\r\n"};
  const std::string wire = s.Run();
  EXPECT_NE(wire.find("RCPT TO: <a@y>\r\nDATA \r\n"), std::string::npos);
  EXPECT_TRUE(s.env.messages.empty());
}

TEST(SmtpConversation, EveryRecipientRefusedQuitsWithoutMessage) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("a@y");
  s.job.recipients.Add("b@y");
  s.channel.replies = {"220\r\n", "250\r\n", "250\r\n", "550\r\n", "551\r\n", "221\r\n"};
  EXPECT_EQ(s.Run(), "HELO x\r\nMAIL FROM: <me@x>\r\nRCPT TO: <a@y>\r\nRCPT TO: <b@y>\r\nQUIT\r\n");
  EXPECT_TRUE(s.env.messages.empty());
  EXPECT_TRUE(s.env.progress.empty());
}

TEST(SmtpConversation, TwoLineGreetingMakesEveryReplyOneLineLate) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("a@y");
  // The second greeting line answers HELO; HELO's reply answers MAIL FROM, and so on.
  s.channel.replies = {"220-first\r\n", "220 second\r\n", "250 helo\r\n",   "250 from\r\n",
                       "250 rcpt\r\n",  "354 data\r\n",   "250 queued\r\n", "221 bye\r\n"};
  const std::string wire = s.Run();
  EXPECT_NE(wire.find("DATA \r\n"), std::string::npos);
  EXPECT_NE(wire.find(".\r\nQUIT\r\n"), std::string::npos);
  EXPECT_EQ(s.channel.nextReply, 7u);  // the final "221 bye" is never read
}

TEST(SmtpConversation, TwoLineGreetingWithRefusingRcptIsSeenLate) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("a@y");
  // RCPT's own 550 is read as the DATA reply, one line late; the 250 of MAIL FROM accepts RCPT.
  s.channel.replies = {"220-a\r\n", "220 b\r\n", "250\r\n", "250\r\n",
                       "550\r\n",   "354\r\n",   "250\r\n", "221\r\n"};
  EXPECT_NE(s.Run().find("DATA \r\n"), std::string::npos);
}

TEST(SmtpConversation, SilentServerTimesOutWithoutMessage105) {
  Session s;
  s.job.sender = "me@x";
  s.job.recipients.Add("a@y");
  s.channel.replies = {"220 hi\r\n"};
  s.channel.silentFrom = 1;
  EXPECT_EQ(s.Run(), "HELO x\r\nQUIT\r\n");
  EXPECT_TRUE(s.env.messages.empty());
  EXPECT_EQ(s.channel.timeouts, 2);  // the HELO reply and the QUIT reply
}

TEST(SmtpConversation, EmptySenderGivesBareHeloAndEmptyBrackets) {
  Session s;
  s.job.recipients.Add("a@y");
  s.channel.replies = {"220\r\n", "250\r\n", "250\r\n", "250\r\n", "354\r\n", "250\r\n", "221\r\n"};
  const std::string wire = s.Run();
  EXPECT_EQ(wire.substr(0, 21), "HELO \r\nMAIL FROM: <>\r");
}

TEST(SmtpConversation, SenderWithoutAtIsTheHeloDomain) {
  Session s;
  s.job.sender = "localuser";
  s.job.recipients.Add("a@y");
  s.channel.replies = {"220\r\n", "502\r\n", "221\r\n"};
  EXPECT_EQ(s.Run().substr(0, 16), "HELO localuser\r\n");
}

TEST(SmtpConversation, SenderWithTwoAtSignsUsesTheLastPart) {
  Session s;
  s.job.sender = "a@b@c.example";
  s.channel.replies = {"220\r\n", "502\r\n", "221\r\n"};
  EXPECT_EQ(s.Run().substr(0, 20), "HELO c.example\r\nQUIT");
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
  s.job.sender = "me@x";
  s.job.recipients.Add("a@y");
  s.job.recipients.Add("a@y");
  s.channel.replies = {"220\r\n", "250\r\n", "250\r\n", "250\r\n",
                       "250\r\n", "354\r\n", "250\r\n", "221\r\n"};
  const std::string wire = s.Run();
  EXPECT_NE(wire.find("RCPT TO: <a@y>\r\nRCPT TO: <a@y>\r\n"), std::string::npos);
  EXPECT_EQ(s.toHeader, "To: <a@y> , <a@y>\r\n");
}
