// The address book's place: application data, the take-over of an older book, no profile.
#include <gtest/gtest.h>

#include <set>

#include "mail/BookPlace.h"

namespace {
const char kAppData[] = "C:\\Users\\ann\\AppData\\Roaming";
const char kLocal[] = "C:\\Users\\ann\\AppData\\Local\\";
const char kNew[] = "C:\\Users\\ann\\AppData\\Roaming\\Orvane\\Rurizeri.ini";
const char kStored[] = "C:\\Users\\ann\\AppData\\Local\\VirtualStore\\Windows\\Rurizeri.ini";
const char kOld[] = "C:\\Windows\\Rurizeri.ini";

BookPlace Choose(const std::set<std::string>& files, const char* appData = kAppData,
                 const char* windowsDir = "C:\\Windows") {
  return ChooseBookPlace(appData, kLocal, windowsDir,
                         [&](const CString& path) { return files.count(path.str()) > 0; });
}
}  // namespace

TEST(BookPlace, TheBookLivesInApplicationDataAndTakesOverTheNewestOlderOne) {
  const BookPlace fresh = Choose({});
  EXPECT_EQ(fresh.path, kNew);
  EXPECT_EQ(fresh.folder, "C:\\Users\\ann\\AppData\\Roaming\\Orvane");
  EXPECT_EQ(fresh.takeOverFrom, "");
  EXPECT_EQ(Choose({kOld}).takeOverFrom, kOld);
  // What a standard user saved went to the virtual store: that copy is the one they know.
  EXPECT_EQ(Choose({kOld, kStored}).takeOverFrom, kStored);
  // Taken over once: later starts keep their own book.
  EXPECT_EQ(Choose({kNew, kOld, kStored}).takeOverFrom, "");
}

TEST(BookPlace, TheVirtualStoreMirrorsTheWindowsFolderWithoutItsDrive) {
  const char stored[] = "C:\\Users\\ann\\AppData\\Local\\VirtualStore\\WINNT\\Rurizeri.ini";
  EXPECT_EQ(Choose({stored}, kAppData, "D:\\WINNT").takeOverFrom, stored);
  // A Windows folder that is no drive path has no virtual store.
  EXPECT_EQ(Choose({"\\\\server\\win\\Rurizeri.ini"}, kAppData, "\\\\server\\win").takeOverFrom,
            "\\\\server\\win\\Rurizeri.ini");
}

TEST(BookPlace, WithoutApplicationDataTheBookStaysInTheWindowsFolder) {
  const BookPlace place = Choose({kStored}, "");
  EXPECT_EQ(place.path, kOld);
  EXPECT_EQ(place.folder, "");
  EXPECT_EQ(place.takeOverFrom, "");
}
