// Window title, language matching, help command lines and the information box geometry.
#include <gtest/gtest.h>

#include <map>

#include "app/AboutLayout.h"
#include "app/HelpCommand.h"
#include "app/LanguageTable.h"
#include "app/WindowTitle.h"

TEST(WindowTitle, JoinsTheSetParts) {
  EXPECT_EQ(ComposeWindowTitle("", "NULL", "NULL", "Velmora"), "Velmora");
  EXPECT_EQ(ComposeWindowTitle("Brand", "NULL", "NULL", "Velmora"), "Brand");
  EXPECT_EQ(ComposeWindowTitle("NULL", "M600", "Pro Pack", "Velmora"), "M600 Pro Pack");
  EXPECT_EQ(ComposeWindowTitle("Brand", "M600", "Pack", "Velmora"), "Brand M600 Pack");
  EXPECT_EQ(ComposeWindowTitle("Brand", "", "Pack", "Velmora"), "Brand Pack");
  EXPECT_EQ(ComposeWindowTitle("", "", "Pack", "Velmora"), "Pack");
  // Only the exact marker means "not set".
  EXPECT_EQ(ComposeWindowTitle("null", "NULL", "NULL", "Velmora"), "null");
}

namespace {
CString EnglishName(unsigned id) {
  static const std::map<unsigned, const char*> names = {
      {9000, "CHINESE"}, {9001, "GERMAN"},  {9002, "FRENCH"}, {9003, "ITALIAN"},
      {9004, "SPANISH"}, {9005, "DUTCH"},   {9006, "JAPANESE"}, {9007, "SIMPLE"},
      {9008, "KOREAN"},  {9009, "PORTUGUESE"}, {9010, "DANISH"}, {9011, "SWEDISH"}};
  return names.at(id);
}
}  // namespace

TEST(Language, MatchesWithoutRegardToCase) {
  EXPECT_EQ(MatchLanguage("german", EnglishName), 9001u);
  EXPECT_STREQ(LanguageLibraryFile(9001), "dsk_lg.dll");
  EXPECT_EQ(MatchLanguage("Simple", EnglishName), 9007u);
  EXPECT_STREQ(HelpSuffix(9007), "_m");
  EXPECT_EQ(MatchLanguage("SWEDISH", EnglishName), 9011u);
  EXPECT_STREQ(LanguageLibraryFile(9011), "dsk_lsw.dll");
  EXPECT_STREQ(HelpSuffix(9010), "_da");
}

TEST(Language, NoMatchSelectsEnglishWithoutLibrary) {
  EXPECT_EQ(MatchLanguage("NULL", EnglishName), 9012u);
  EXPECT_EQ(MatchLanguage("", EnglishName), 9012u);
  EXPECT_EQ(MatchLanguage("GERMANY", EnglishName), 9012u);
  EXPECT_EQ(LanguageLibraryFile(9012), nullptr);
  EXPECT_STREQ(HelpSuffix(9012), "_e");
}

TEST(HelpCommand, ViewerAndFileByLanguage) {
  EXPECT_EQ(HelpCommandLine("NULL", "WinHelp", 9012), "WINHELP h_e.hlp");
  EXPECT_EQ(HelpCommandLine("", "WinHelp", 9012), "WINHELP h_e.hlp");
  EXPECT_EQ(HelpCommandLine("scan", "hh", 9001), "HH scan_g.chm");
  EXPECT_EQ(HelpCommandLine("scan", "Hh", 9006), "HH scan_j.chm");
  EXPECT_EQ(HelpCommandLine("scan", "winhlp32", 9010), "WINHLP32 scan_da.hlp");
  EXPECT_EQ(HelpCommandLine("NULL", "HH", 9007), "HH h_m.chm");
}

TEST(AboutLayout, SizeAndButtonFollowTheText) {
  const AboutBoxSize odd = AboutBoxSizeFor(101, 48);
  EXPECT_EQ(odd.width, 150);
  EXPECT_EQ(odd.height, 144);
  // m = 2 * 3 = 6: height 14 + 12, y = 144 - 26 - 6, x centred with integer division.
  const ButtonRect button = AboutButtonRect(151, 144, 20, 14, 3);
  EXPECT_EQ(button.width, 40);
  EXPECT_EQ(button.height, 26);
  EXPECT_EQ(button.x, 55);
  EXPECT_EQ(button.y, 112);
}
