// Window title, language matching, help command lines and the information box geometry.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

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
      {9000, "CHINESE"}, {9001, "GERMAN"},     {9002, "FRENCH"},   {9003, "ITALIAN"},
      {9004, "SPANISH"}, {9005, "DUTCH"},      {9006, "JAPANESE"}, {9007, "SIMPLE"},
      {9008, "KOREAN"},  {9009, "PORTUGUESE"}, {9010, "DANISH"},   {9011, "SWEDISH"}};
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

namespace {
// A program directory holding `files`; records every path looked up.
struct Folder {
  std::set<std::string> files;
  std::vector<std::string> asked;
  std::function<bool(const CString&)> Exists() {
    return [this](const CString& path) {
      asked.push_back(path.str());
      return files.count(path.str()) > 0;
    };
  }
};
const char kDir[] = "C:\\Orvane\\";
}  // namespace

TEST(HelpCommand, FileNameByViewerAndLanguage) {
  EXPECT_EQ(HelpFileName("NULL", "WinHelp", 9012), "h_e.hlp");
  EXPECT_EQ(HelpFileName("", "WinHelp", 9012), "h_e.hlp");
  EXPECT_EQ(HelpFileName("scan", "hh", 9001), "scan_g.chm");
  EXPECT_EQ(HelpFileName("scan", "winhlp32", 9010), "scan_da.hlp");
  EXPECT_EQ(HelpFileName("NULL", "Hh", 9007), "h_m.chm");
  // Only "HH" itself takes the compiled HTML file.
  EXPECT_EQ(HelpFileName("scan", "HH.EXE", 9001), "scan_g.hlp");
}

TEST(HelpCommand, LanguageFileBesideTheProgramIsOpenedByFullPath) {
  Folder folder{{"C:\\Orvane\\guide_g.chm", "C:\\Orvane\\guide_e.chm"}, {}};
  EXPECT_EQ(HelpCommandLine("guide", "hh", 9001, kDir, folder.Exists()), "HH C:\\Orvane\\guide_g.chm");
  EXPECT_EQ(folder.asked, std::vector<std::string>{"C:\\Orvane\\guide_g.chm"});
  EXPECT_EQ(HelpCommandLine("guide", "HH", 9012, kDir, folder.Exists()), "HH C:\\Orvane\\guide_e.chm");
}

TEST(HelpCommand, MissingLanguageFileFallsBackToEnglish) {
  Folder folder{{"C:\\Orvane\\guide_e.chm", "C:\\Orvane\\guide_g.hlp"}, {}};
  EXPECT_EQ(HelpCommandLine("guide", "hh", 9006, kDir, folder.Exists()), "HH C:\\Orvane\\guide_e.chm");
  EXPECT_EQ(folder.asked, (std::vector<std::string>{"C:\\Orvane\\guide_j.chm", "C:\\Orvane\\guide_e.chm"}));
  // A file for another viewer does not count.
  EXPECT_EQ(HelpCommandLine("guide", "HH", 9001, kDir, folder.Exists()), "HH C:\\Orvane\\guide_e.chm");
  Folder defaults{{"C:\\Orvane\\h_e.hlp"}, {}};
  EXPECT_EQ(HelpCommandLine("NULL", "WinHelp", 9011, kDir, defaults.Exists()), "WINHELP C:\\Orvane\\h_e.hlp");
}

TEST(HelpCommand, NoFileBesideTheProgramLeavesTheBareNameToTheViewer) {
  Folder empty;
  EXPECT_EQ(HelpCommandLine("NULL", "WinHelp", 9012, kDir, empty.Exists()), "WINHELP h_e.hlp");
  EXPECT_EQ(HelpCommandLine("scan", "hh", 9001, kDir, empty.Exists()), "HH scan_g.chm");
  EXPECT_EQ(HelpCommandLine("scan", "Hh", 9006, kDir, empty.Exists()), "HH scan_j.chm");
  EXPECT_EQ(HelpCommandLine("scan", "winhlp32", 9010, kDir, empty.Exists()), "WINHLP32 scan_da.hlp");
}

TEST(HelpCommand, PathsWithSpacesAreQuoted) {
  const CString dir = "C:\\Program Files\\Orvane\\";
  Folder folder{{"C:\\Program Files\\Orvane\\Help_e.chm"}, {}};
  EXPECT_EQ(HelpCommandLine("Help", "HH", 9002, dir, folder.Exists()),
            "HH \"C:\\Program Files\\Orvane\\Help_e.chm\"");
  Folder empty;
  EXPECT_EQ(HelpCommandLine("My Help", "HH", 9002, dir, empty.Exists()), "HH \"My Help_f.chm\"");
}

TEST(HelpCommand, ViewerWithABlankIsQuotedAndAnUnsetOneIsWinHelp) {
  // Unquoted, "C:\PROGRAM.EXE" would be started first from such a line.
  Folder empty;
  EXPECT_EQ(HelpCommandLine("NULL", "C:\\Program Files\\Viewer\\hh.exe", 9012, kDir, empty.Exists()),
            "\"C:\\PROGRAM FILES\\VIEWER\\HH.EXE\" h_e.hlp");
  EXPECT_EQ(HelpCommandLine("NULL", "", 9012, kDir, empty.Exists()), "WINHELP h_e.hlp");
  EXPECT_EQ(HelpCommandLine("NULL", "NULL", 9012, kDir, empty.Exists()), "WINHELP h_e.hlp");
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
