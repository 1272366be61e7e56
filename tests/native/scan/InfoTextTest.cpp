// The source information text.
#include <gtest/gtest.h>

#include "scan/InfoText.h"

namespace {
const InfoWords kWords{"Ready", "Not ready", "Installed", "Not installed"};
}

TEST(InfoText, SevenCharactersGiveFiveLines) {
  EXPECT_EQ(BuildSourceInfoText("Flatbed", "21002AB", kWords), "Ready\nFlatbed\n1.00\nInstalled\nAB\n");
}

TEST(InfoText, FiveCharactersLeaveOutTheLastLine) {
  EXPECT_EQ(BuildSourceInfoText("Flatbed", "01000", kWords), "Not ready\nFlatbed\n1.00\nNot installed\n");
}

TEST(InfoText, TheCharacterOneCountsAsReadyAndInstalled) {
  EXPECT_EQ(BuildSourceInfoText("F", "11201", kWords), "Ready\nF\n1.20\nInstalled\n");
}

TEST(InfoText, ShortTextLeavesMissingCharactersOut) {
  EXPECT_EQ(BuildSourceInfoText("F", "2", kWords), "Ready\nF\n.\nNot installed\n");
  EXPECT_EQ(BuildSourceInfoText(nullptr, nullptr, kWords), "Not ready\n\n.\nNot installed\n");
}
