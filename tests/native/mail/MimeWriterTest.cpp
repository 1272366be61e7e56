// The message content: headers, boundary, body pieces with dot-stuffing, base64 parts,
// progress and cancel.
#include <gtest/gtest.h>

#include "MailFakes.h"
#include "mail/MimeWriter.h"

namespace {
struct Writer {
  MailJob job;
  FakeChannel channel;
  FakeEnvironment env;
  std::string Send(const char* to = "To: <a@x>\r\n") {
    CMimeWriter(job, channel, env).SendContent(to);
    return channel.Wire();
  }
};
const std::string kBoundary = "=========_zazed==_";
}  // namespace

TEST(MimeWriter, LayoutWithoutAttachments) {
  Writer w;
  w.job.sender = "me@home.example";
  w.job.subject = "Scan";
  w.job.body = "Hello\r\nWorld";
  EXPECT_EQ(w.Send(),
            "To: <a@x>\r\nFrom: me@home.example\r\nSubject: Scan\r\nMIME-Version: 1.0\r\n\r\n"
            "Hello\r\nWorld\r\n");
  EXPECT_TRUE(w.job.body.IsEmpty());
}

TEST(MimeWriter, LayoutWithOneAttachment) {
  Writer w;
  w.job.sender = "me@home.example";
  w.job.subject = "Scan";
  w.job.body = "Body";
  w.job.attachments.Add("C:\\orvane\\TEMP\\P1234567.JPG");
  w.env.files["C:\\orvane\\TEMP\\P1234567.JPG"] = "abcd";
  EXPECT_EQ(w.Send("To: <a@x> , <b@y>\r\n"),
            "To: <a@x> , <b@y>\r\n"
            "From: me@home.example\r\n"
            "Subject: Scan\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-Type: multipart/mixed; boundary=\"" +
                kBoundary +
                "\"\r\n"
                "\r\n"
                "--" +
                kBoundary +
                "\r\n"
                "Content-Type: text/plain; charset=\"us-ascii\"\r\n"
                "\r\n"
                "Body\r\n"
                "\r\n"
                "--" +
                kBoundary +
                "\r\n"
                "Content-Type: application/octet-stream; name=\"P1234567.JPG\"\r\n"
                "Content-Transfer-Encoding: base64\r\n"
                "Content-Disposition: attachment; filename=\"P1234567.JPG\"\r\n"
                "Content-Description: P1234567.JPG\r\n"
                "\r\n"
                "YWJjZA==\r\n"
                "\r\n"
                "--" +
                kBoundary + "--\r\n");
  EXPECT_TRUE(w.job.attachments.IsEmpty());
}

TEST(MimeWriter, EmptyBodyWithAttachmentHasOnlyTheTextPartHeader) {
  Writer w;
  w.job.attachments.Add("f");
  w.env.files["f"] = "";
  const std::string wire = w.Send();
  EXPECT_NE(wire.find("charset=\"us-ascii\"\r\n\r\n\r\n--" + kBoundary + "\r\n"), std::string::npos);
  // A 0-byte file: headers and the empty line, no content lines; range 0.
  EXPECT_NE(wire.find("Content-Description: f\r\n\r\n\r\n--" + kBoundary + "--\r\n"), std::string::npos);
  ASSERT_GE(w.env.progress.size(), 2u);
  EXPECT_EQ(w.env.progress[0].code, kProgressFile);
  EXPECT_EQ(w.env.progress[1].code, kProgressRange);
  EXPECT_EQ(w.env.progress[1].value, 0u);
}

TEST(MimeWriter, BodyOf1024CharactersIsOneLine) {
  Writer w;
  w.job.body = std::string(1024, 'a');
  w.Send();
  EXPECT_EQ(w.channel.sent.back(), std::string(1024, 'a') + "\r\n");
  EXPECT_EQ(w.channel.sent.size(), 6u);
}

TEST(MimeWriter, BodyOf1025CharactersIsTwoLines) {
  Writer w;
  w.job.body = std::string(1024, 'a') + "b";
  w.Send();
  ASSERT_EQ(w.channel.sent.size(), 7u);
  EXPECT_EQ(w.channel.sent[5], std::string(1024, 'a') + "\r\n");
  EXPECT_EQ(w.channel.sent[6], "b\r\n");
}

TEST(MimeWriter, BodyEndingInCrLfIsFollowedByAnEmptyLine) {
  Writer w;
  w.job.body = "one\r\n";
  w.Send();
  EXPECT_EQ(w.channel.sent.back(), "one\r\n\r\n");
}

TEST(MimeWriter, PeriodsThatStartALineAreDoubled) {
  Writer w;
  w.job.body = ".first\r\nmid\r\n.\r\nend.\r\n..two";
  w.Send();
  EXPECT_EQ(w.channel.sent.back(), "..first\r\nmid\r\n..\r\nend.\r\n...two\r\n");
}

TEST(MimeWriter, PeriodAtTheStartOfASecondPieceIsDoubled) {
  Writer w;
  w.job.body = std::string(1024, 'a') + ".x";
  w.Send();
  EXPECT_EQ(w.channel.sent.back(), "..x\r\n");
}

TEST(MimeWriter, PathWithoutBackslashIsTheFileName) {
  Writer w;
  w.job.attachments.Add("scan.jpg");
  w.env.files["scan.jpg"] = "x";
  const std::string wire = w.Send();
  EXPECT_NE(wire.find("name=\"scan.jpg\"\r\n"), std::string::npos);
  EXPECT_NE(wire.find("filename=\"scan.jpg\"\r\n"), std::string::npos);
  EXPECT_NE(wire.find("Content-Description: scan.jpg\r\n"), std::string::npos);
}

TEST(MimeWriter, FileThatDoesNotOpenGivesAnEmptyPartAndGoesOn) {
  Writer w;
  w.job.attachments.Add("C:\\missing.jpg");
  w.job.attachments.Add("C:\\there.bin");
  w.env.files["C:\\there.bin"] = "abc";
  const std::string wire = w.Send();
  EXPECT_NE(wire.find("Content-Description: missing.jpg\r\n\r\n\r\n--" + kBoundary + "\r\n"),
            std::string::npos);
  EXPECT_NE(wire.find("Content-Description: there.bin\r\n\r\nYWJj\r\n\r\n--" + kBoundary + "--\r\n"),
            std::string::npos);
  EXPECT_TRUE(w.env.messages.empty());
}

TEST(MimeWriter, ProgressCountsLinesOfEachFile) {
  Writer w;
  w.job.attachments.Add("a");
  w.job.attachments.Add("b");
  w.env.files["a"] = Bytes(1021);  // 3 lines
  w.env.files["b"] = Bytes(510);   // 1 line
  w.Send();
  std::vector<std::pair<unsigned, int>> calls;
  for (auto& c : w.env.progress) calls.push_back({c.value, c.code});
  const std::vector<std::pair<unsigned, int>> expected = {
      {0, kProgressFile},     {3, kProgressRange}, {1, kProgressPosition}, {2, kProgressPosition},
      {3, kProgressPosition}, {0, kProgressFile},  {1, kProgressRange},    {1, kProgressPosition}};
  EXPECT_EQ(calls, expected);
}

TEST(MimeWriter, UnknownSizeSetsNoRange) {
  Writer w;
  w.env.sizeKnown = false;
  w.job.attachments.Add("a");
  w.env.files["a"] = Bytes(600);
  w.Send();
  for (auto& c : w.env.progress) EXPECT_NE(c.code, kProgressRange);
}

TEST(MimeWriter, CancelCutsTheFileAfterTheFirstLineAndDropsTheRest) {
  Writer w;
  w.job.sender = "me@x";
  w.job.attachments.Add("a");
  w.job.attachments.Add("b");
  w.env.files["a"] = Bytes(2000);
  w.env.files["b"] = Bytes(100);
  w.env.cancelled = true;  // pressed before the first attachment
  const std::string wire = w.Send();
  const std::string firstLine = ReferenceBase64(Bytes(2000)).substr(0, 680);
  EXPECT_NE(wire.find("\r\n\r\n" + firstLine + "\r\n\r\n--" + kBoundary + "--\r\n"), std::string::npos);
  EXPECT_EQ(wire.find("name=\"b\""), std::string::npos);
  EXPECT_TRUE(w.job.attachments.IsEmpty());
  EXPECT_TRUE(w.job.sender.IsEmpty());
}

TEST(MimeWriter, CancelDuringTheSecondLineStopsAfterIt) {
  Writer w;
  w.job.attachments.Add("a");
  w.env.files["a"] = Bytes(5000);
  w.env.cancelAtPosition = 2;
  const std::string wire = w.Send();
  const std::string b64 = ReferenceBase64(Bytes(5000));
  EXPECT_NE(wire.find(b64.substr(0, 680) + "\r\n" + b64.substr(680, 680) + "\r\n\r\n--"), std::string::npos);
  EXPECT_EQ(wire.find(b64.substr(1360, 680)), std::string::npos);
}

TEST(MimeWriter, CancelWithoutAttachmentsHasNoEffect) {
  Writer w;
  w.job.body = "text";
  w.env.cancelled = true;
  EXPECT_EQ(w.Send(), "To: <a@x>\r\nFrom: \r\nSubject: \r\nMIME-Version: 1.0\r\n\r\ntext\r\n");
}

TEST(MimeWriter, LongPathIsNotCutShort) {
  Writer w;
  const std::string path = "C:\\" + std::string(300, 'd') + "\\scan.jpg";
  w.job.attachments.Add(path.c_str());
  w.env.files[path] = "abc";
  const std::string wire = w.Send();
  EXPECT_NE(wire.find("Content-Description: scan.jpg\r\n\r\nYWJj\r\n"), std::string::npos);
}

TEST(MimeWriter, EveryTextIsOneLineAtMost) {
  Writer w;
  w.job.attachments.Add("a");
  w.env.files["a"] = Bytes(3000);
  w.job.body = "x\r\ny";
  w.Send();
  for (const auto& s : w.channel.sent) EXPECT_LE(s.size(), 1024u + 1024u + 2u);
  // Base64 lines: each one SendText of 682 bytes at most.
  size_t base64Texts = 0;
  for (const auto& s : w.channel.sent) base64Texts += s.size() == 682;
  EXPECT_EQ(base64Texts, 3000u / 510);
}

TEST(MimeWriter, SubjectAndSenderLineBreaksNeverStartAHeader) {
  Writer w;
  w.job.sender = "me@x\r\nBcc: victim@y";
  w.job.subject = "Hi\r\nBcc: victim@y\nX";
  const std::string wire = w.Send();
  EXPECT_EQ(wire.find("\r\nBcc:"), std::string::npos);
  EXPECT_NE(wire.find("From: me@xBcc: victim@y\r\n"), std::string::npos);
  EXPECT_NE(wire.find("Subject: Hi Bcc: victim@y X\r\n"), std::string::npos);
}
