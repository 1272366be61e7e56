// Host choice, the line-break defence and header folding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/MailJob.h"

TEST(MailJob, HostIsTheServerOnceThenTheSendersDomain) {
  CString server = "smtp.example";
  EXPECT_EQ(ChooseHost(server, "me@home.example"), "smtp.example");
  EXPECT_TRUE(server.IsEmpty());
  EXPECT_EQ(ChooseHost(server, "me@home.example"), "home.example");
}

TEST(MailJob, AddressWithoutAtIsTheWholeHost) {
  CString server;
  EXPECT_EQ(ChooseHost(server, "127.0.0.5"), "127.0.0.5");
  EXPECT_EQ(DomainOfAddress("plain"), "plain");
}

TEST(MailJob, TwoAtSignsUseTheTextAfterTheLast) {
  CString server;
  EXPECT_EQ(ChooseHost(server, "a@b@127.0.0.9"), "127.0.0.9");
  EXPECT_EQ(DomainOfAddress("x@"), "");
}

TEST(MailJob, ClearEmptiesEveryField) {
  MailJob job;
  job.sender = "a";
  job.defaultRecipient = "b";
  job.subject = "c";
  job.body = "d";
  job.recipients.Add("e");
  job.attachments.Add("f");
  job.Clear();
  EXPECT_TRUE(job.sender.IsEmpty() && job.defaultRecipient.IsEmpty() && job.subject.IsEmpty() &&
              job.body.IsEmpty() && job.recipients.IsEmpty() && job.attachments.IsEmpty());
}

TEST(MailJob, LineBreaksAreStrippedFromAddressesAndFoldedInSubjects) {
  EXPECT_EQ(WithoutLineBreaks("a\r\nb\rc\nd"), "abcd");
  EXPECT_EQ(OnOneLine("a\r\nb\r\r\nc\nd"), "a b c d");
  EXPECT_EQ(OnOneLine("plain"), "plain");
}

namespace {
// The physical lines of a folded header, each without its CR LF.
std::vector<std::string> WireLines(const std::string& folded) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < folded.size();) {
    const size_t end = folded.find("\r\n", at);
    lines.push_back(folded.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

void ExpectFoldedWithinTheLimit(const std::string& line, const std::string& folded) {
  const std::vector<std::string> lines = WireLines(folded);
  ASSERT_GT(lines.size(), 1u);
  std::string unfolded;
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(lines[i].size(), kMaxMailLine);
    if (i > 0) {
      EXPECT_TRUE(lines[i][0] == ' ' || lines[i][0] == '\t');
    }
    unfolded += lines[i];
  }
  EXPECT_EQ(unfolded, line);
}
}  // namespace

TEST(MailJob, HeadersLongerThanTheLineLimitAreFoldedAtBlanks) {
  EXPECT_EQ(FoldedHeader("Subject: Scan"), "Subject: Scan\r\n");
  const std::string full = "Subject: " + std::string(kMaxMailLine - 9, 'x');
  EXPECT_EQ(FoldedHeader(full.c_str()), full + "\r\n");

  std::string to = "To: <first@example.org>";
  for (int i = 0; i < 120; ++i) to += " , <recipient" + std::to_string(i) + "@example.org>";
  ExpectFoldedWithinTheLimit(to, FoldedHeader(to.c_str()).str());
  const std::string tabbed = "Subject: " + std::string(990, 'a') + "\tb" + std::string(900, 'c');
  ExpectFoldedWithinTheLimit(tabbed, FoldedHeader(tabbed.c_str()).str());

  // No blank to fold at after the header's name: pieces of the limit, each later one begun
  // by a blank of ours.
  const std::string word(3000, 'w');
  const std::vector<std::string> lines = WireLines(FoldedHeader(("Subject: " + word).c_str()).str());
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "Subject:");
  EXPECT_EQ(lines[1].size(), kMaxMailLine);
  EXPECT_EQ(lines[2].size(), kMaxMailLine);
  EXPECT_EQ(lines[1].substr(1) + lines[2].substr(1) + lines[3].substr(1) + lines[4].substr(1), word);
}
