// Token lists, the paper-name list and resolution tables.
#include <gtest/gtest.h>

#include "app/settings/PaperNames.h"
#include "app/settings/ResolutionTable.h"
#include "app/settings/TokenList.h"

namespace {
std::vector<std::string> Items(const CStringArray& list) {
  std::vector<std::string> items;
  for (const CString& s : list) items.push_back(s.str());
  return items;
}
using Strings = std::vector<std::string>;
}  // namespace

TEST(TokenList, SplitsAtSingleSpaces) {
  EXPECT_EQ(Items(SplitTokens("Letter Legal A4")), (Strings{"Letter", "Legal", "A4"}));
  EXPECT_EQ(Items(SplitTokens("A4  B5")), (Strings{"A4", "", "B5"}));
  EXPECT_EQ(Items(SplitTokens("")), (Strings{""}));
  EXPECT_EQ(Items(SplitTokens("A4 ")), (Strings{"A4"}));
  EXPECT_EQ(Items(SplitTokens(" A4")), (Strings{"", "A4"}));
  EXPECT_EQ(Items(SplitTokens("  ")), (Strings{"", ""}));
}

TEST(PaperNames, CountDecidesOnlyWhetherNamesAreRead) {
  EXPECT_EQ(Items(BuildPaperNameList(1, "Letter Legal A4", 1)), (Strings{"Letter", "Legal", "A4", "Auto"}));
  EXPECT_EQ(Items(BuildPaperNameList(0, "Letter Legal", 1)), (Strings{"Auto"}));
  EXPECT_EQ(Items(BuildPaperNameList(0, "", 0)), Strings{});
  EXPECT_EQ(Items(BuildPaperNameList(5, "A4", 0)), (Strings{"A4"}));
}

TEST(PaperNames, EmptyTokensAreKept) {
  EXPECT_EQ(Items(BuildPaperNameList(2, "A4  A5", 1)), (Strings{"A4", "", "A5", "Auto"}));
  EXPECT_EQ(Items(BuildPaperNameList(1, "", 1)), (Strings{"", "Auto"}));
}

TEST(ResolutionTable, MissingTokenKeysTakeTheDefault) {
  CResolutionTable table;
  table.Build(SplitTokens("R150 R300"),
              [](const CString& token) { return token == "R150" ? 150 : CResolutionTable::kDefaultDpi; });
  ASSERT_EQ(table.GetSize(), 2);
  EXPECT_EQ(table.DpiAt(0), 150);
  EXPECT_EQ(table.DpiAt(1), 100);
  EXPECT_EQ(table.DpiAt(2), 100);
  EXPECT_EQ(table.DpiAt(-1), 100);
}
