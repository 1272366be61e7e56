// CString: bounded copies and the ASCII case rules the profile names rely on.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/String.h"

TEST(CString, CopyToNeverOverruns) {
  char buffer[6];
  std::memset(buffer, 'x', sizeof(buffer));
  CString("abcdefgh").CopyTo(buffer, 4);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], 'x');
  CString("ab").CopyTo(buffer, sizeof(buffer));
  EXPECT_STREQ(buffer, "ab");
  CString("ab").CopyTo(buffer, 0);  // nothing written, no crash
  EXPECT_STREQ(buffer, "ab");
}

TEST(CString, CaseAndSearch) {
  CString s("Ocr Setting");
  EXPECT_EQ(s.CompareNoCase("OCR SETTING"), 0);
  EXPECT_LT(CString("A").CompareNoCase("b"), 0);
  EXPECT_EQ(s.Upper(), "OCR SETTING");
  CString umlaut("gr\xfc\xdf");  // bytes above 127 stay as they are
  EXPECT_EQ(umlaut.Upper(), "GR\xfc\xdf");
  EXPECT_EQ(CString("C:\\a\\b.exe").ReverseFind('\\'), 4);
  EXPECT_EQ(CString("C:\\a\\b.exe").Mid(5), "b.exe");
  EXPECT_EQ(CString("abc").Mid(7), "");
  EXPECT_EQ(CString("abc").Left(9), "abc");
  EXPECT_EQ(CString::Format("%d-%s", 42, "x"), "42-x");
}

TEST(CStringArray, InsertAndRemoveStayInRange) {
  CStringArray list;
  list.Add("b");
  list.InsertAt(0, "a");
  list.InsertAt(99, "c");
  list.RemoveAt(7);
  ASSERT_EQ(list.GetSize(), 3);
  EXPECT_EQ(list[0], "a");
  EXPECT_EQ(list[2], "c");
  list.RemoveAt(1);
  EXPECT_EQ(list[1], "c");
}

TEST(CString, FillPlaceholderPutsTheValueInTheFirstPlaceholder) {
  EXPECT_EQ(FillPlaceholder("The printer \"%s\" is not available.", "Gone"),
            "The printer \"Gone\" is not available.");
  EXPECT_EQ(FillPlaceholder("No name here", "Gone"), "No name here");
  // A value with format characters is put in as it stands.
  EXPECT_EQ(FillPlaceholder("[%s] %s", "50%d"), "[50%d] %s");
}

TEST(CString, FillPlaceholdersTakeTheOrderOfTheText) {
  EXPECT_EQ(FillPlaceholders("%3 frei auf %2, %1 gebraucht", {"1 MB", "T:\\", "2 KB"}),
            "2 KB frei auf T:\\, 1 MB gebraucht");
  // A value is put in as it stands; a number without a value, a lone % and 100% stay.
  EXPECT_EQ(FillPlaceholders("%1 %2 %4 % 100%", {"%2", "b"}), "%2 b %4 % 100%");
}
