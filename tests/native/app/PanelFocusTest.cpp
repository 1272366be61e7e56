// Front-panel keyboard order: Tab round the buttons and the page, arrows among destinations,
// access keys.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/PanelFocus.h"
#include "app/PanelRules.h"

using namespace Panel;
using namespace PanelFocus;

namespace {
std::vector<uint16_t> Round(bool backward, bool pageHasStops) {
  std::vector<uint16_t> seen;
  uint16_t focus = FirstButton();
  for (int i = 0; i < 11; ++i) {
    focus = Tab(focus, backward, pageHasStops);
    seen.push_back(focus);
  }
  return seen;
}
}  // namespace

TEST(PanelFocus, TabGoesRoundTheButtonsThenThePageInAFixedOrder) {
  const std::vector<uint16_t> forward = {kCopy, kFax,  kMail,      kOcr,   kScan, kExit,
                                         kHelp, kInfo, kPageFirst, kImage, kCopy};
  EXPECT_EQ(Round(false, true), forward);
  // Shift+Tab walks the same ring the other way, entering the page at its last control.
  const std::vector<uint16_t> backward = {kPageLast, kInfo, kHelp, kExit,  kScan,    kOcr,
                                          kMail,     kFax,  kCopy, kImage, kPageLast};
  EXPECT_EQ(Round(true, true), backward);
  // Leaving the page: past its last control to the first button, before its first to INFO.
  EXPECT_EQ(Tab(kPageLast, false, true), kImage);
  EXPECT_EQ(Tab(kPageFirst, true, true), kInfo);
  // A page without controls is skipped.
  EXPECT_EQ(Tab(kInfo, false, false), kImage);
  EXPECT_EQ(Tab(kImage, true, false), kInfo);
}

TEST(PanelFocus, ArrowsMoveAmongTheDestinationsOnly) {
  EXPECT_EQ(Arrow(kImage, false), kCopy);
  EXPECT_EQ(Arrow(kOcr, false), kImage);
  EXPECT_EQ(Arrow(kImage, true), kOcr);
  EXPECT_EQ(Arrow(kMail, true), kFax);
  for (uint16_t id : {kScan, kExit, kHelp, kInfo, kPageFirst}) EXPECT_EQ(Arrow(id, false), 0) << id;
}

TEST(PanelFocus, EveryButtonHasItsOwnAccessKey) {
  std::set<char> keys;
  for (uint16_t id = kFirstButton; id <= kLastButton; ++id) {
    const char key = AccessKey(id);
    ASSERT_NE(key, '\0') << id;
    keys.insert(key);
    EXPECT_EQ(ButtonForAccessKey(key), id);
    EXPECT_EQ(ButtonForAccessKey(static_cast<char>(key - 'A' + 'a')), id);
  }
  EXPECT_EQ(keys.size(), static_cast<size_t>(kButtonCount));
  EXPECT_EQ(ButtonForAccessKey('Z'), 0);
}
