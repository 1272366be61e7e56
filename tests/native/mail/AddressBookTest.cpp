// Address book file rules: gaps, NULL, lower case, duplicates, large books.
#include <gtest/gtest.h>

#include <map>

#include "mail/AddressBook.h"

namespace {
using Ini = std::map<std::string, std::string>;
CStringArray Read(const Ini& ini) {
  return ReadAddressBook([&](const CString& key) {
    auto it = ini.find(key.str());
    return it == ini.end() ? CString("NULL") : CString(it->second);
  });
}
}  // namespace

TEST(AddressBook, ReadingStopsAtAGap) {
  const CStringArray book = Read({{"MailAdd0", "a@x"}, {"MailAdd1", "b@x"}, {"MailAdd3", "d@x"}});
  ASSERT_EQ(book.GetSize(), 2);
  EXPECT_EQ(book[1], "b@x");
}

TEST(AddressBook, ReadingStopsAtNullAndEmpty) {
  EXPECT_EQ(Read({{"MailAdd0", "a@x"}, {"MailAdd1", "NULL"}, {"MailAdd2", "c@x"}}).GetSize(), 1);
  EXPECT_EQ(Read({{"MailAdd0", ""}, {"MailAdd1", "b@x"}}).GetSize(), 0);
  EXPECT_EQ(Read({{"MailAdd0", "null"}}).GetSize(), 1);  // only the capital NULL ends it
}

TEST(AddressBook, BooksOfMoreThan128EntriesLoseNothing) {
  Ini ini;
  for (int i = 0; i < 300; ++i) ini[AddressBookKey(i).str()] = CString::Format("u%03d@x", i).str();
  const CStringArray book = Read(ini);
  ASSERT_EQ(book.GetSize(), 300);
  EXPECT_EQ(book[299], "u299@x");
}

TEST(AddressBook, WritingReplacesTheSectionInOrder) {
  CStringArray entries;
  entries.Add("a@x");
  entries.Add("b@x");
  std::vector<std::string> log;
  WriteAddressBook(
      entries, [&] { log.push_back("clear"); },
      [&](const CString& k, const CString& v) { log.push_back(k.str() + "=" + v.str()); });
  EXPECT_EQ(log, (std::vector<std::string>{"clear", "MailAdd0=a@x", "MailAdd1=b@x"}));
}

TEST(AddressBook, AddressesAreStoredLowerCaseAndDuplicatesFoundInAnyCase) {
  EXPECT_EQ(StoredAddress("Ann.Smith@Example.COM"), "ann.smith@example.com");
  CStringArray list;
  list.Add("ann@example.com");
  EXPECT_TRUE(ContainsNoCase(list, "ANN@example.Com"));
  EXPECT_FALSE(ContainsNoCase(list, "ann@example.co"));
}
