// When the sending socket looks at the message queue, and how long it waits for a peer that
// takes no bytes, on a tick count that may wrap.
#include <gtest/gtest.h>

#include "framework/PumpPacer.h"
#include "mail/SendWatch.h"

TEST(PumpPacer, LooksAtOnceThenEveryTenMillisecondsWhileTheQueueIsEmpty) {
  CPumpPacer pacer;
  EXPECT_TRUE(pacer.Due(5000));
  pacer.Looked(5000, false);
  EXPECT_FALSE(pacer.Due(5000));
  EXPECT_FALSE(pacer.Due(5009));
  EXPECT_TRUE(pacer.Due(5010));
}

TEST(PumpPacer, KeepsLookingAtEveryPieceWhileMessagesCome) {
  // One message per piece, as long as there are messages: a click's several messages are all
  // handled within a few pieces, not one per 10 ms.
  CPumpPacer pacer;
  pacer.Looked(100, true);
  EXPECT_TRUE(pacer.Due(100));
  pacer.Looked(100, true);
  EXPECT_TRUE(pacer.Due(100));
  pacer.Looked(101, false);
  EXPECT_FALSE(pacer.Due(101));
  EXPECT_TRUE(pacer.Due(111));
}

TEST(PumpPacer, TickCountWrapping) {
  CPumpPacer pacer;
  pacer.Looked(0xFFFFFFFCu, false);
  EXPECT_FALSE(pacer.Due(0x00000002u));  // 6 ms later
  EXPECT_TRUE(pacer.Due(0x00000006u));
}

TEST(SendWatch, TimesOutAfterNinetySecondsWithoutProgress) {
  CSendWatch watch;
  watch.Progress(1000);
  EXPECT_EQ(watch.Check(1000 + 89999, false), CSendWatch::kWait);
  EXPECT_EQ(watch.Check(1000 + 90000, false), CSendWatch::kTimedOut);
  // A peer that takes a few bytes now and then is still making progress.
  watch.Progress(80000);
  EXPECT_EQ(watch.Check(1000 + 90000, false), CSendWatch::kWait);
  EXPECT_EQ(watch.Check(170000, false), CSendWatch::kTimedOut);
}

TEST(SendWatch, AfterCancelGivesUpHalfASecondAfterTheLastProgress) {
  CSendWatch watch;
  watch.Progress(2000);
  EXPECT_EQ(watch.Check(2400, true), CSendWatch::kWait);  // bytes may still drain
  EXPECT_EQ(watch.Check(2500, true), CSendWatch::kGiveUp);
  EXPECT_EQ(watch.Check(2500, false), CSendWatch::kWait);
  // Cancel pressed long into a stall gives up at once.
  watch.Progress(10000);
  EXPECT_EQ(watch.Check(40000, true), CSendWatch::kGiveUp);
  EXPECT_EQ(watch.Check(10000 + 90000, true), CSendWatch::kTimedOut);
}

TEST(SendWatch, TickCountWrapping) {
  CSendWatch watch;
  watch.Progress(0xFFFFFF00u);
  EXPECT_EQ(watch.Check(0x00000010u, true), CSendWatch::kWait);  // 272 ms later
  EXPECT_EQ(watch.Check(0x00000100u, true), CSendWatch::kGiveUp);
  EXPECT_EQ(watch.Check(0x00000100u, false), CSendWatch::kWait);
}
