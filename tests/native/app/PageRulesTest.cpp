// Device choice, store values and checks, and layout arithmetic of the settings pages.
#include <gtest/gtest.h>

#include "app/settings/PageRules.h"

using namespace PageRules;

namespace {
CStringArray Names(std::initializer_list<const char*> names) {
  CStringArray list;
  for (const char* n : names) list.Add(n);
  return list;
}
}  // namespace

TEST(PageRules, CopyDeviceFallsBackToTheDefaultPrinterThenNone) {
  EXPECT_EQ(ChooseCopyDevice("Laser", "Other,winspool,LPT1:", "None"), "Laser");
  EXPECT_EQ(ChooseCopyDevice("NULL", "Office Jet,wineps.drv,CUPS:Office", "None"), "Office Jet");
  EXPECT_EQ(ChooseCopyDevice("", "Plain", "None"), "Plain");
  EXPECT_EQ(ChooseCopyDevice("NULL", "NULL", "Keiner"), "Keiner");
  EXPECT_EQ(ChooseCopyDevice("", "", "None"), "None");
}

TEST(PageRules, FaxDeviceOrder) {
  const CStringArray installed = Names({"Laser", "Office-FAX", "Other fax"});
  // A fax-like default printer wins over the stored device.
  EXPECT_EQ(ChooseFaxDevice("MyFax,wineps.drv,CUPS:MyFax", "Stored", installed, "FAX", "None"), "MyFax");
  // A plain default printer does not; the stored device does.
  EXPECT_EQ(ChooseFaxDevice("Laser,wineps.drv,CUPS:Laser", "Stored", installed, "FAX", "None"), "Stored");
  // Nothing stored: the first installed name with the marker, in any case.
  EXPECT_EQ(ChooseFaxDevice("Laser,x,y", "NULL", installed, "FAX", "None"), "Office-FAX");
  EXPECT_EQ(ChooseFaxDevice("NULL", "", Names({"Laser", "Ink"}), "FAX", "None"), "None");
}

TEST(PageRules, FaxDeviceLooksAtTheFirstTwentyPrintersOnly) {
  CStringArray installed;
  for (int i = 1; i <= 25; ++i) installed.Add(CString::Format("Queue%02d", i));
  installed.SetAt(20, "Queue21Fax");  // the 21st printer
  EXPECT_EQ(ChooseFaxDevice("NULL", "NULL", installed, "FAX", "None"), "None");
  installed.SetAt(19, "Queue20Fax");  // the 20th
  EXPECT_EQ(ChooseFaxDevice("NULL", "NULL", installed, "FAX", "None"), "Queue20Fax");
}

TEST(PageRules, LongDeviceNamesAreCut) {
  const CString longName = CString(300, 'x') + "FAX";
  EXPECT_EQ(ChooseFaxDevice("NULL", "NULL", Names({longName.c_str()}), "FAX", "None"), "None");
}

TEST(PageRules, StoredValues) {
  EXPECT_EQ(StoredScaling(0), 30);
  EXPECT_EQ(StoredScaling(1500), 1500);
  EXPECT_EQ(StoredScaling(100), 100);
  EXPECT_EQ(ShownScanMode(9), 1);
  EXPECT_EQ(ShownScanMode(2), 2);
}

TEST(PageRules, IntegerFieldText) {
  int value = -1;
  EXPECT_TRUE(ParseInteger("1500", value));
  EXPECT_EQ(value, 1500);
  EXPECT_TRUE(ParseInteger("  -7 ", value));
  EXPECT_EQ(value, -7);
  EXPECT_TRUE(ParseInteger("0", value));
  EXPECT_EQ(value, 0);
  value = 55;
  EXPECT_FALSE(ParseInteger("12x", value));
  EXPECT_FALSE(ParseInteger("", value));
  EXPECT_FALSE(ParseInteger(" - ", value));
  EXPECT_FALSE(ParseInteger("1 2", value));
  EXPECT_FALSE(ParseInteger("99999999999", value));
  EXPECT_EQ(value, 55) << "a refused text leaves the value alone";
}

TEST(PageRules, MailCheckWantsRecipientFirstThenSender) {
  EXPECT_EQ(MailStoreCheck("", ""), kNoRecipientMessage);
  EXPECT_EQ(MailStoreCheck("", "me@here"), kNoRecipientMessage);
  EXPECT_EQ(MailStoreCheck("you@there", ""), kNoSenderMessage);
  EXPECT_EQ(MailStoreCheck("you@there", "me@here"), 0u);
}

TEST(PageRules, EditorPaths) {
  EXPECT_EQ(BrowsePattern("C:\\Tools\\Ipe\\ipe.exe"), "C:\\Tools\\Ipe\\*.EXE");
  EXPECT_EQ(BrowsePattern("ipe.exe"), "*.EXE");
  EXPECT_EQ(BrowsePattern("NULL"), "*.EXE");
  EXPECT_EQ(FileNameOf("C:\\A B\\paint.exe"), "paint.exe");
  EXPECT_TRUE(IsKnownEditor("ipe.exe"));
  EXPECT_TRUE(IsKnownEditor("Magic6.Exe"));
  EXPECT_FALSE(IsKnownEditor("paint.exe"));
  EXPECT_FALSE(IsKnownEditor("None"));
}

TEST(PageRules, Layout) {
  EXPECT_EQ(TitleX(41), 50);
  EXPECT_EQ(TitleX(137), 2);
  EXPECT_EQ(TitleX(200), 2);
  const int starts[] = {90, 112, 130};
  EXPECT_EQ(ListWidth(starts, 3, 293), 163);
  EXPECT_EQ(MailRowY(277, 1, 22), 254);
  EXPECT_EQ(MailRowY(277, 6, 22), 139);
}

TEST(PageRules, MailPortAndItsProposal) {
  int port = -1;
  EXPECT_TRUE(ParseMailPort(" ", port));
  EXPECT_EQ(port, 0);
  EXPECT_TRUE(ParseMailPort("2525", port));
  EXPECT_EQ(port, 2525);
  for (const char* bad : {"0", "65536", "-25", "25x", "99999999999"})
    EXPECT_FALSE(ParseMailPort(bad, port)) << bad;
  // A security's own port follows the security; a port of the user's own stays.
  EXPECT_EQ(ProposedMailPort("25", 1), "587");
  EXPECT_EQ(ProposedMailPort("587", 2), "465");
  EXPECT_EQ(ProposedMailPort("", 0), "25");
  EXPECT_EQ(ProposedMailPort("2525", 2), "2525");
  EXPECT_EQ(ProposedMailPort("abc", 1), "abc");
}
