// The message content: headers, boundary, body pieces with dot-stuffing, base64 parts,
// progress and cancel; text beyond ASCII, types, and the size known before sending.
#include <gtest/gtest.h>

#include "MailFakes.h"
#include "mail/Base64.h"
#include "mail/MimeWriter.h"

namespace {
struct Writer {
  MailJob job;
  FakeChannel channel;
  FakeEnvironment env;
  std::string Send(const char* to = "To: <a@x>") {
    CMimeWriter(job, channel, env).SendContent(to);
    return channel.Wire();
  }
  // The body lines on the wire of a message without attachments.
  std::string SendBody(const std::string& body) {
    job.body = body;
    const std::string wire = Send();
    return wire.substr(wire.find("\r\n\r\n") + 4);
  }
};
// The stem and the fake's first 18 random bytes (0, 1, 2, ...).
const std::string kBoundary =
    "=========_zazed==_" + Base64Url(std::string("\0\1\2\3\4\5\6\7\10\11\12\13\14\15\16\17\20\21", 18));
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
  EXPECT_EQ(w.Send("To: <a@x> , <b@y>"),
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
                "Content-Type: image/jpeg; name=\"P1234567.JPG\"\r\n"
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

TEST(MimeWriter, LinesTooLongForTheWireAreCutWherePeriodsCountTwice) {
  const std::string a996(996, 'a'), a997(997, 'a'), a998(998, 'a');
  const struct {
    std::string body;
    std::vector<std::string> lines;
  } cases[] = {
      {a997, {a997}},
      {a998, {a998}},
      {a998 + "b", {a998, "b"}},
      {"." + a996, {".." + a996}},       // 998 on the wire
      {"." + a997, {".." + a996, "a"}},  // would be 999
      {a998 + ".x", {a998, "..x"}},      // the second piece starts a line
      {std::string(2000, 'c'), {std::string(998, 'c'), std::string(998, 'c'), "cccc"}},
      {"x\r\n" + a997 + "bb\r\n.", {"x", a997 + "b", "b", ".."}},
  };
  for (const auto& c : cases) {
    std::string expected;
    for (const auto& line : c.lines) expected += line + "\r\n";
    EXPECT_EQ(Writer().SendBody(c.body), expected) << c.body.size();
  }
}

TEST(MimeWriter, ShortLinesGoOutAsTyped) {
  // However long the body, lines that fit the limit get no line break of ours, and no CR LF
  // pair is split.
  std::string body;
  for (int i = 0; i < 6; ++i) body += std::string(i == 2 ? 998 : 300, 'a' + i) + "\r\n";
  EXPECT_EQ(Writer().SendBody(body + "end"), body + "end\r\n");
}

TEST(MimeWriter, BodyEndingInCrLfIsFollowedByAnEmptyLine) {
  EXPECT_EQ(Writer().SendBody("one\r\n"), "one\r\n\r\n");
}

TEST(MimeWriter, PeriodsThatStartALineAreDoubled) {
  EXPECT_EQ(Writer().SendBody(".first\r\nmid\r\n.\r\nend.\r\n..two\n.bare"),
            "..first\r\nmid\r\n..\r\nend.\r\n...two\n..bare\r\n");
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

TEST(MimeWriter, CancelStopsTheContentWhereItIs) {
  // Pressed before the first attachment: no part, no closing boundary, the files dropped.
  Writer before;
  before.job.sender = "me@x";
  before.job.body = "text";
  before.job.attachments.Add("a");
  before.job.attachments.Add("b");
  before.env.files["a"] = Bytes(2000);
  before.env.cancelled = true;
  const std::string cut = before.Send();
  EXPECT_EQ(cut.substr(cut.size() - 8), "\r\ntext\r\n");
  EXPECT_TRUE(before.job.attachments.IsEmpty());
  EXPECT_TRUE(before.job.sender.IsEmpty());

  // Pressed while the second line of the first file goes out: nothing after that line.
  Writer during;
  during.job.attachments.Add("a");
  during.job.attachments.Add("b");
  during.env.files["a"] = Bytes(5000);
  during.env.files["b"] = Bytes(100);
  during.env.cancelAtPosition = 2;
  const std::string b64 = ReferenceBase64(Bytes(5000));
  const std::string wire = during.Send();
  EXPECT_EQ(wire.substr(wire.size() - 1364), b64.substr(0, 680) + "\r\n" + b64.substr(680, 680) + "\r\n");
  EXPECT_TRUE(during.job.attachments.IsEmpty());
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
