// CInUseRetry: only a file held by another program is tried again, and only for about 2 s.
#include <gtest/gtest.h>

#include "framework/InUseRetry.h"

TEST(CInUseRetry, OnlyInUseErrorsAreTriedAgainWithinTheLimit) {
  const uint32_t start = 0xFFFFFF00u;  // the tick count wraps during the wait
  const CInUseRetry retry(start);
  for (uint32_t error : {32u, 33u, 1224u}) {
    EXPECT_TRUE(retry.Again(error, start)) << error;
    EXPECT_TRUE(retry.Again(error, start + CInUseRetry::kLimitMs - 1)) << error;
    EXPECT_FALSE(retry.Again(error, start + CInUseRetry::kLimitMs)) << error;
  }
  // Not found, access denied, disk full: no other program will mend these.
  for (uint32_t error : {2u, 5u, 112u, 39u}) EXPECT_FALSE(retry.Again(error, start)) << error;
}
