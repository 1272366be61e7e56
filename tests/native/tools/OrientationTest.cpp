// The orientation detection's report as Tesseract 5 writes it, and reports it is not.
#include "tools/ocrengine/Orientation.h"

#include <gtest/gtest.h>

TEST(Orientation, ReadsTheReportAndTrustsOnlyAConfidentOne) {
  PageOrientation page;
  ASSERT_TRUE(
      ParseOrientation("Page number: 0\nOrientation in degrees: 180\nRotate: 180\n"
                       "Orientation confidence: 14.52\nScript: Latin\nScript confidence: 3.33\n",
                       page));
  EXPECT_EQ(page.rotate, 180);
  EXPECT_DOUBLE_EQ(page.confidence, 14.52);
  EXPECT_TRUE(ReadTurned(page));
  ASSERT_TRUE(ParseOrientation("Rotate: 90\nOrientation confidence: 0.61\n", page));
  EXPECT_FALSE(ReadTurned(page));
  ASSERT_TRUE(ParseOrientation("Rotate: 0\nOrientation confidence: 30\n", page));
  EXPECT_FALSE(ReadTurned(page));
  // Too few characters: Tesseract says so and gives no angle; nor is 45 an orientation.
  EXPECT_FALSE(ParseOrientation("Too few characters. Skipping this page\n", page));
  EXPECT_FALSE(ParseOrientation("Rotate: 45\nOrientation confidence: 9\n", page));
  EXPECT_FALSE(ParseOrientation("Rotate: 180\n", page));
}
