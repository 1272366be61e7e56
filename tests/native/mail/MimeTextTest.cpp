// Messages beyond ASCII and their size: types, encoded words, file names, the body's encodings,
// the boundary kept out of the text, the size known before sending, the split plan.
#include <gtest/gtest.h>

#include "MailFakes.h"
#include "mail/Base64.h"
#include "mail/MessagePlan.h"
#include "mail/MimeText.h"
#include "mail/MimeWriter.h"

namespace {
// Decodes a run of "=?utf-8?B?...?=" words (folded or not) back to UTF-8.
std::string WordsDecoded(const std::string& words) {
  std::string out;
  for (size_t at = 0; (at = words.find("=?utf-8?B?", at)) != std::string::npos;) {
    const size_t end = words.find("?=", at + 10);
    std::string bytes;
    EXPECT_TRUE(DecodeBase64(words.substr(at + 10, end - at - 10), &bytes));
    out += bytes;
    at = end + 2;
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

struct Sent {
  MailJob job;
  FakeChannel channel;
  FakeEnvironment env;
  uint64_t size = 0;
  std::string Send() {
    CMimeWriter writer(job, channel, env);
    size = writer.Size("To: <a@x>");
    writer.SendContent("To: <a@x>");
    return channel.Wire();
  }
};

const std::string kGerman =
    "Gr\xf6\xdf"
    "e";  // Latin-1, the fake's code page
}  // namespace

TEST(MimeText, TypesByExtension) {
  EXPECT_STREQ(ContentTypeOf("P1234567.JPG"), "image/jpeg");
  EXPECT_STREQ(ContentTypeOf("scan.jpeg"), "image/jpeg");
  EXPECT_STREQ(ContentTypeOf("P1234567.PDF"), "application/pdf");
  EXPECT_STREQ(ContentTypeOf("page.TIF"), "image/tiff");
  EXPECT_STREQ(ContentTypeOf("page.tiff"), "image/tiff");
  EXPECT_STREQ(ContentTypeOf("notes.txt"), "application/octet-stream");
  EXPECT_STREQ(ContentTypeOf("JPG"), "application/octet-stream");
}

TEST(MimeText, EncodedWordsKeepCharactersWholeAndLinesShort) {
  std::string japanese;
  for (int i = 0; i < 40; ++i) japanese += "\xe3\x82\xb9";  // 40 three-byte characters
  const std::string words = EncodedWords(japanese, 9);
  EXPECT_EQ(WordsDecoded(words), japanese);
  const std::vector<std::string> lines = Lines(words + "\r\n");
  ASSERT_GT(lines.size(), 1u);
  EXPECT_LE(lines[0].size() + 9, 76u);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      EXPECT_EQ(lines[i][0], ' ');
    }
    EXPECT_LE(lines[i].size(), 76u);
    // Whole characters in each word: each decodes alone to a multiple of three bytes.
    EXPECT_EQ(WordsDecoded(lines[i]).size() % 3, 0u);
  }
  EXPECT_EQ(HeaderText("plain", "plain", 9), "plain");
}

TEST(MimeText, FileNamesQuotedOrAsRfc2231) {
  EXPECT_EQ(FileNameParameter("name", "a \"b\"\\c.jpg", "a \"b\"\\c.jpg"), "name=\"a \\\"b\\\"\\\\c.jpg\"");
  EXPECT_EQ(FileNameParameter("filename",
                              "Gr\xf6\xdf"
                              "e.pdf",
                              "Gr\xc3\xb6\xc3\x9f"
                              "e.pdf"),
            "filename*=utf-8''Gr%C3%B6%C3%9Fe.pdf");
  // A long one goes in numbered pieces that never split an escape.
  std::string longName;
  for (int i = 0; i < 30; ++i) longName += "\xc3\xa9";
  const std::string pieces = FileNameParameter("filename", "\xe9", longName + ".pdf");
  EXPECT_EQ(pieces.compare(0, 25, "\r\n filename*0*=utf-8''%C3"), 0) << pieces;
  std::string joined;
  for (const std::string& line : Lines(pieces.substr(2) + "\r\n")) {
    EXPECT_LE(line.size(), 72u);
    const size_t equals = line.find("*=");
    std::string value = line.substr(equals + 2);
    if (value.back() == ';') value.pop_back();
    if (value.compare(0, 7, "utf-8''") == 0) value = value.substr(7);
    EXPECT_NE(value[value.size() - 1], '%');
    EXPECT_NE(value[value.size() - 2], '%');
    joined += value;
  }
  std::string expected;
  for (int i = 0; i < 30; ++i) expected += "%C3%A9";
  EXPECT_EQ(joined, expected + ".pdf");
}

TEST(MimeText, QuotedPrintableLines) {
  EXPECT_EQ(QuotedPrintable("Gr\xc3\xbc\xc3\x9f"
                            "e =\r\n.end \r\n"),
            "Gr=C3=BC=C3=9Fe =3D\r\n=2Eend=20\r\n\r\n");
  const std::string qp = QuotedPrintable(std::string(200, 'a') + "\xc3\xa9");
  for (const std::string& line : Lines(qp)) EXPECT_LE(line.size(), 76u);
  // Soft breaks join back to the text.
  std::string joined;
  for (const std::string& line : Lines(qp))
    joined += line.back() == '=' ? line.substr(0, line.size() - 1) : line;
  EXPECT_EQ(joined, std::string(200, 'a') + "=C3=A9");
  EXPECT_EQ(Base64Lines(""), "\r\n");
  EXPECT_EQ(Base64Lines(std::string(57, 'x')).size(), 78u);
}

TEST(MimeText, NonAsciiSubjectAndBodyGoAsUtf8) {
  Sent s;
  s.job.subject = kGerman;
  s.job.body =
      "Gr\xfc\xdf"
      "e aus K\xf6ln\r\n.Punkt";
  const std::string wire = s.Send();
  EXPECT_NE(wire.find("\r\nSubject: =?utf-8?B?" +
                      Base64Text("Gr\xc3\xb6\xc3\x9f"
                                 "e")
                          .str() +
                      "?=\r\n"),
            std::string::npos);
  EXPECT_NE(
      wire.find(
          "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=\"utf-8\"\r\n"
          "Content-Transfer-Encoding: quoted-printable\r\n\r\nGr=C3=BC=C3=9Fe aus K=C3=B6ln\r\n=2EPunkt\r\n"),
      std::string::npos)
      << wire;
  EXPECT_EQ(s.size, wire.size());
  // Text of another script is shorter in base64.
  Sent cjk;
  for (int i = 0; i < 20; ++i) cjk.job.body += "\xe9";  // each one of two UTF-8 bytes, six in QP
  EXPECT_NE(cjk.Send().find("Content-Transfer-Encoding: base64\r\n\r\n"), std::string::npos);
  // ASCII stays as typed, charset us-ascii only in a multipart message.
  Sent plain;
  plain.job.subject = "Scan";
  plain.job.body = "Hello";
  EXPECT_EQ(plain.Send(), "To: <a@x>\r\nFrom: \r\nSubject: Scan\r\nMIME-Version: 1.0\r\n\r\nHello\r\n");
}

TEST(MimeText, BoundaryIsChosenAgainWhenTheTextHoldsIt) {
  Sent s;
  // The fake's first random bytes make the first candidate; the body carries it.
  FakeEnvironment probe;
  uint8_t first[18];
  probe.Random(first, sizeof(first));
  const std::string taken = BoundaryFrom("=========_zazed==_", first);
  s.job.body = "--" + taken + "\r\nstill the body";
  s.job.attachments.Add("a.jpg");
  s.env.files["a.jpg"] = "abc";
  const std::string wire = s.Send();
  EXPECT_EQ(wire.find("boundary=\"" + taken + "\""), std::string::npos);
  EXPECT_NE(wire.find("\r\n--" + taken + "\r\nstill the body\r\n"), std::string::npos);
  EXPECT_NE(wire.find("Content-Type: image/jpeg; name=\"a.jpg\""), std::string::npos);
}

TEST(MimeText, SizeBeforeSendingIsTheSizeSent) {
  // Bodies with long lines, leading periods, an empty end; files of every remainder of 510.
  const std::string bodies[] = {"", "x", ".\r\n..\r\n", std::string(2500, '.') + "\r\n", "a\r\n", kGerman};
  const size_t sizes[] = {0, 1, 509, 510, 511, 1020, 100000};
  for (const std::string& body : bodies) {
    Sent s;
    s.job.sender = "me@x";
    s.job.subject = kGerman + std::string(120, 's');
    s.job.body = body;
    for (size_t size : sizes) {
      const std::string path = "C:\\TEMP\\P" + std::to_string(size) + ".JPG";
      s.job.attachments.Add(path.c_str());
      s.env.files[path] = Bytes(size);
    }
    s.job.attachments.Add("C:\\missing.pdf");
    const std::string wire = s.Send();
    EXPECT_EQ(s.size, wire.size()) << body.size();
  }
}

TEST(MimeText, SplitPlans) {
  // Fits: one message. Over: whole parts in order, each message within the limit.
  EXPECT_EQ(PlanMessages(900, 150, {300, 300, 300}, 1000).counts, std::vector<size_t>{3});
  EXPECT_EQ(PlanMessages(900, 150, {300, 300, 300}, 0).counts, std::vector<size_t>{3});
  EXPECT_EQ(PlanMessages(1100, 150, {300, 300, 300, 100}, 800).counts, (std::vector<size_t>{2, 2}));
  EXPECT_EQ(PlanMessages(1100, 150, {400, 100, 500}, 700).counts, (std::vector<size_t>{2, 1}));
  // One part alone too large: nothing goes, and the size is that message's.
  const MessagePlan big = PlanMessages(1300, 150, {300, 900, 100}, 800);
  EXPECT_TRUE(big.tooLarge);
  EXPECT_EQ(big.size, 1050u);
  const MessagePlan single = PlanMessages(1300, 150, {1200}, 800);
  EXPECT_TRUE(single.tooLarge);
  EXPECT_EQ(single.size, 1300u);
  EXPECT_EQ(SizeText(200000), "196 KB");
  EXPECT_EQ(SizeText(36700160), "35.0 MB");
}
