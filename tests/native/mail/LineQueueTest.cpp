// Received bytes into reply lines: split and joined packets, LF and CR endings.
#include <gtest/gtest.h>

#include <cstring>

#include "mail/LineQueue.h"

namespace {
void Feed(CLineQueue& q, const char* text) { q.SplitLines(text, std::strlen(text)); }
}  // namespace

TEST(LineQueue, LineSplitOverTwoReceivesIsJoined) {
  CLineQueue q;
  Feed(q, "220 mail.exa");
  EXPECT_FALSE(q.HasLine());
  EXPECT_EQ(q.PartialLine(), "220 mail.exa");
  Feed(q, "mple ESMTP\r\n");
  ASSERT_EQ(q.LineCount(), 1u);
  EXPECT_EQ(q.PopLine(), "220 mail.example ESMTP\r\n");
  EXPECT_EQ(q.PartialLine(), "");
}

TEST(LineQueue, TwoRepliesInOneReceiveAreTwoLines) {
  CLineQueue q;
  Feed(q, "250 ok\r\n354 go ahead\r\n");
  ASSERT_EQ(q.LineCount(), 2u);
  EXPECT_EQ(q.PopLine(), "250 ok\r\n");
  EXPECT_EQ(q.PopLine(), "354 go ahead\r\n");
  EXPECT_EQ(q.PopLine(), "");
}

TEST(LineQueue, BareLfEndsALineButCrDoesNot) {
  CLineQueue q;
  Feed(q, "250 a\n250 b\r250 c");
  ASSERT_EQ(q.LineCount(), 1u);
  EXPECT_EQ(q.PopLine(), "250 a\n");
  EXPECT_EQ(q.PartialLine(), "250 b\r250 c");
  Feed(q, "\n");
  EXPECT_EQ(q.PopLine(), "250 b\r250 c\n");
}

TEST(LineQueue, ThreePacketsAndTrailingPartial) {
  CLineQueue q;
  Feed(q, "2");
  Feed(q, "50 x\r");
  Feed(q, "\n221 bye\r\n4");
  EXPECT_EQ(q.PopLine(), "250 x\r\n");
  EXPECT_EQ(q.PopLine(), "221 bye\r\n");
  EXPECT_EQ(q.PartialLine(), "4");
}

TEST(LineQueue, ClearForgetsLinesAndPartial) {
  CLineQueue q;
  Feed(q, "250 a\r\n25");
  q.Clear();
  EXPECT_FALSE(q.HasLine());
  EXPECT_EQ(q.PartialLine(), "");
}

TEST(LineQueue, BytesAfterAZeroAreKept) {
  CLineQueue q;
  const char data[] = {'2', '5', '0', '\0', 'x', '\r', '\n'};
  q.SplitLines(data, sizeof(data));
  ASSERT_EQ(q.LineCount(), 1u);
  EXPECT_EQ(q.PopLine().GetLength(), 7);
}
