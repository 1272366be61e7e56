// Which progress positions reach the bar: a pixel's move, 50 ms apart, the ends always; ranges
// taken modulo 65536 and a bar whose range was never set.
#include <gtest/gtest.h>

#include "mail/ProgressThrottle.h"

namespace {
// Positions 1..lines, one every `stepMs`; returns how many were shown.
int ShownOf(CProgressThrottle& throttle, unsigned lines, uint32_t stepMs, uint32_t start = 1000) {
  int shown = 0;
  for (unsigned i = 1; i <= lines; ++i) shown += throttle.Show(i, start + i * stepMs) ? 1 : 0;
  return shown;
}
}  // namespace

TEST(ProgressThrottle, AFastSendRepaintsAboutTwentyTimesASecondAndShowsTheEnd) {
  CProgressThrottle throttle;
  throttle.SetRange(41120, 250, 0);  // a 20 MB file on a 250-pixel bar
  // 41120 lines in about 2 s: 40 paints by the clock, plus the last line.
  uint32_t now = 0;
  int shown = 0;
  bool lastShown = false;
  for (unsigned i = 1; i <= 41120; ++i) {
    now = static_cast<uint32_t>(i / 20);
    lastShown = throttle.Show(i, now);
    shown += lastShown ? 1 : 0;
  }
  EXPECT_GE(shown, 40);
  EXPECT_LE(shown, 43);
  EXPECT_TRUE(lastShown);
}

TEST(ProgressThrottle, ASlowSendShowsEveryPixel) {
  CProgressThrottle throttle;
  throttle.SetRange(500, 250, 0);
  // One line per 100 ms: each second line moves the bar a pixel.
  EXPECT_EQ(ShownOf(throttle, 500, 100), 250);
}

TEST(ProgressThrottle, ZeroAndTheUpperLimitAreAlwaysShown) {
  CProgressThrottle throttle;
  throttle.SetRange(100, 200, 0);
  EXPECT_TRUE(throttle.Show(50, 0));
  EXPECT_FALSE(throttle.Show(60, 10));
  EXPECT_TRUE(throttle.Show(100, 20));
  EXPECT_TRUE(throttle.Show(0, 21));
}

TEST(ProgressThrottle, PositionsPastAWrappedRangeStayOnTheLastPixel) {
  // 70000 lines: the range is 70000 mod 65536 = 4464; the lines after it paint nothing more.
  CProgressThrottle throttle;
  throttle.SetRange(4464, 250, 0);
  int pastTheEnd = 0;
  for (unsigned i = 1; i <= 70000; ++i) {
    const bool shown = throttle.Show(i, i * 10);
    if (i > 4464) pastTheEnd += shown ? 1 : 0;
  }
  EXPECT_EQ(pastTheEnd, 0);
}

TEST(ProgressThrottle, WithoutARangeTheClockStillLimitsRepaints) {
  // A file whose size could not be read: the bar keeps its default range and no width is known.
  CProgressThrottle throttle;
  const int shown = ShownOf(throttle, 1000, 1);  // 1 s of lines: one paint per 50 ms
  EXPECT_GE(shown, 20);
  EXPECT_LE(shown, 21);
}

TEST(ProgressThrottle, ANewRangeShowsItsFirstMoveAtOnce) {
  CProgressThrottle throttle;
  throttle.SetRange(10, 100, 0);
  EXPECT_TRUE(throttle.Show(10, 5000));
  throttle.SetRange(10, 100, 10);  // the next file; the bar still stands at 10
  EXPECT_TRUE(throttle.Show(1, 5001));
  EXPECT_FALSE(throttle.Show(2, 5002));
}

TEST(ProgressThrottle, TickCountWrapping) {
  CProgressThrottle throttle;
  throttle.SetRange(1000, 100, 0);
  EXPECT_TRUE(throttle.Show(100, 0xFFFFFFF0u));
  EXPECT_FALSE(throttle.Show(200, 0x00000010u));  // 32 ms later
  EXPECT_TRUE(throttle.Show(200, 0x00000030u));   // 64 ms later
}
