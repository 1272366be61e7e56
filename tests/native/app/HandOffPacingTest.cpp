// The order of a job's hand-offs and its end.
#include "app/job/HandOffPacing.h"

#include <gtest/gtest.h>

using Step = CHandOffPacing::Step;

// A feeder batch for OCR: all pages arrive within one delivering call; each waits for the one
// before; the job ends after the last, once the call has returned.
TEST(HandOffPacing, OneAtATimePagesWaitInOrderAndTheJobEndsAfterTheLast) {
  CHandOffPacing pacing;
  pacing.Reset(true);
  CString next;
  pacing.EnterDelivery();
  EXPECT_EQ(pacing.PageFiled("P1.TIF"), Step::kHandOff);
  EXPECT_EQ(pacing.PageFiled("P2.TIF"), Step::kWait);
  EXPECT_EQ(pacing.PageFiled("P3.TIF"), Step::kWait);
  EXPECT_EQ(pacing.Waiting(), 2u);
  // Page 1's OCR ends while the library still delivers (it pumps messages between pages).
  EXPECT_EQ(pacing.PageDone(next), Step::kHandOff);
  EXPECT_EQ(next, "P2.TIF");
  EXPECT_EQ(pacing.PageAtWork(), "P2.TIF");
  EXPECT_EQ(pacing.LeaveDelivery(), Step::kWait);
  EXPECT_EQ(pacing.PageDone(next), Step::kHandOff);
  EXPECT_EQ(next, "P3.TIF");
  EXPECT_EQ(pacing.PageDone(next), Step::kEnd);
  EXPECT_FALSE(pacing.Working());
}

// A page finished inside the delivering call may be followed by another: the end waits for
// the call to return. Nested calls (a print job pumping the queue) count as one.
TEST(HandOffPacing, TheEndWaitsForTheOutermostDeliveringCall) {
  CHandOffPacing pacing;
  pacing.Reset(false);
  CString next;
  pacing.EnterDelivery();
  EXPECT_EQ(pacing.PageFiled("P1.JPG"), Step::kHandOff);
  EXPECT_EQ(pacing.PageDone(next), Step::kWait);
  pacing.EnterDelivery();
  EXPECT_EQ(pacing.PageFiled("P2.JPG"), Step::kHandOff);
  EXPECT_EQ(pacing.PageDone(next), Step::kWait);
  EXPECT_EQ(pacing.LeaveDelivery(), Step::kWait);
  EXPECT_EQ(pacing.LeaveDelivery(), Step::kEnd);

  // Calls that deliver nothing (every queued message passes through the library) never end a
  // job; nor does one that returns while a page is at work.
  pacing.Reset(true);
  pacing.EnterDelivery();
  EXPECT_EQ(pacing.LeaveDelivery(), Step::kWait);
  pacing.EnterDelivery();
  EXPECT_EQ(pacing.PageFiled("P1.TIF"), Step::kHandOff);
  EXPECT_EQ(pacing.LeaveDelivery(), Step::kWait);
  // A page delivered outside any call (a library that sends it from its start) ends at once.
  EXPECT_EQ(pacing.PageDone(next), Step::kEnd);

  // A batch whose every page was left out (blank) ends when the call returns.
  pacing.Reset(false);
  pacing.EnterDelivery();
  pacing.PageLeftOut();
  pacing.PageLeftOut();
  EXPECT_EQ(pacing.LeaveDelivery(), Step::kEnd);
}
