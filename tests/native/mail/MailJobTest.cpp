// Host choice and the line-break defence.
#include <gtest/gtest.h>

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
