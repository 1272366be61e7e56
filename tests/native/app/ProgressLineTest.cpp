// The progress window's page line, on the string of every language as the program loads it
// (the language library's text in its ANSI code page).
#include "app/ProgressLine.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
const std::string kSource = ORVANE_SOURCE_DIR;

struct Language {
  std::string folder;  // "" for the program's own English strings
  std::string codepage;
};

std::vector<Language> Languages() {
  std::vector<Language> languages{{"", "1252"}};
  std::ifstream list(kSource + "/resources/languages.txt");
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    if (words.size() >= 2) languages.push_back({words.front(), words.back()});
  }
  return languages;
}

// The UTF-8 text of IDS_SCANNING_PAGE in the language's string table.
std::string ScanningPageText(const Language& language) {
  const std::string path = language.folder.empty()
                               ? kSource + "/resources/orvane/shell_strings.rc"
                               : kSource + "/resources/orvane/lang/" + language.folder + "/shell.rc";
  std::ifstream rc(path);
  for (std::string line; std::getline(rc, line);) {
    const size_t key = line.find("IDS_SCANNING_PAGE ");
    const size_t open = line.find('"', key);
    const size_t close = line.rfind('"');
    if (key != std::string::npos && open != std::string::npos && close > open)
      return line.substr(open + 1, close - open - 1);
  }
  return "";
}

std::string Convert(const std::string& text, const std::string& to, const std::string& from) {
  iconv_t converter = iconv_open(to.c_str(), from.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return "";
  std::string in = text, out(text.size() * 4 + 4, '\0');
  char* inPtr = &in[0];
  char* outPtr = &out[0];
  size_t inLeft = in.size(), outLeft = out.size();
  const size_t done = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(converter);
  if (done == static_cast<size_t>(-1)) return "";
  out.resize(out.size() - outLeft);
  return out;
}
}  // namespace

TEST(ProgressLine, EveryLanguageNamesThePageInPlaceOfItsOne) {
  const std::vector<Language> languages = Languages();
  ASSERT_EQ(languages.size(), 13u);
  for (const Language& language : languages) {
    SCOPED_TRACE(language.folder.empty() ? "English" : language.folder);
    const std::string utf8 = ScanningPageText(language);
    const std::string codepage = "CP" + language.codepage;
    const std::string loaded = Convert(utf8, codepage, "UTF-8");
    ASSERT_FALSE(loaded.empty());
    // One "1" in each text, wherever the language puts it.
    const size_t one = utf8.find('1');
    ASSERT_NE(one, std::string::npos);
    ASSERT_EQ(utf8.find('1', one + 1), std::string::npos);

    EXPECT_EQ(PageLine(loaded, 1), loaded);
    for (const int page : {2, 12, 250}) {
      const std::string expected = utf8.substr(0, one) + std::to_string(page) + utf8.substr(one + 1);
      EXPECT_EQ(Convert(PageLine(loaded, page), "UTF-8", codepage), expected);
    }
  }
}

TEST(ProgressLine, OnlyAOneThatStandsAloneIsThePageNumber) {
  EXPECT_EQ(PageLine("Page 10 of 1", 3), "Page 10 of 3");
  EXPECT_EQ(PageLine("1/21", 4), "4/21");
  // No number to replace: a later page is named after the text, the first keeps it as it is.
  EXPECT_EQ(PageLine("Scanning", 1), "Scanning");
  EXPECT_EQ(PageLine("Scanning", 2), "Scanning 2");
  EXPECT_EQ(PageLine("", 2), " 2");
}
