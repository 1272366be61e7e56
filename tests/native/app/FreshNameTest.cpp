// The clock-based names of job files.
#include "app/FreshName.h"

#include <gtest/gtest.h>

TEST(FreshName, StemSumsDayWithMonthAndHourWithMinute) {
  LocalTime time;
  time.year = 1998;
  time.month = 12;
  time.day = 7;
  time.hour = 10;
  time.minute = 30;
  time.second = 45;
  EXPECT_EQ(FreshNameStem(time), "8194045");
  EXPECT_EQ(FreshNamePath("C:\\Orvane\\TEMP", FreshNameStem(time), ".BMP"), "C:\\Orvane\\TEMP\\P8194045.BMP");

  // Sums never exceed two digits: 31 + 12 and 23 + 59; small ones keep their leading zero.
  time = LocalTime{2026, 12, 31, 23, 59, 59};
  EXPECT_EQ(FreshNameStem(time), "6438259");
  time = LocalTime{2027, 1, 1, 0, 0, 5};
  EXPECT_EQ(FreshNameStem(time), "7020005");
  EXPECT_EQ(FreshNameStem(time).size(), 7u);
}

// A compressed page takes its format's extension in place of its own, never beside it.
TEST(FreshName, WithExtensionReplacesOnlyTheFileNamesExtension) {
  EXPECT_EQ(WithExtension("C:\\ORVANE\\TEMP\\P8194045.BMP", "JPG"), "C:\\ORVANE\\TEMP\\P8194045.JPG");
  EXPECT_EQ(WithExtension("C:\\ORVANE\\TEMP\\P8194045", "TIF"), "C:\\ORVANE\\TEMP\\P8194045.TIF");
  // A dot in a folder's name is no extension.
  EXPECT_EQ(WithExtension("C:\\ORVANE.1\\TEMP\\P8194045", "JPG"), "C:\\ORVANE.1\\TEMP\\P8194045.JPG");
}
