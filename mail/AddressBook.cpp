// Address book rules.
#include "mail/AddressBook.h"

const char kAddressBookFile[] = "Rurizeri.ini";
const char kAddressBookSection[] = "BookMark";

CString AddressBookKey(int number) { return CString::Format("MailAdd%d", number); }

CStringArray ReadAddressBook(const std::function<CString(const CString& key)>& read) {
  CStringArray entries;
  for (int number = 0;; ++number) {
    const CString value = read(AddressBookKey(number));
    if (value.IsEmpty() || value == "NULL") break;
    entries.Add(value);
  }
  return entries;
}

void WriteAddressBook(const CStringArray& entries, const std::function<void()>& clear,
                      const std::function<void(const CString& key, const CString& value)>& write) {
  clear();
  for (int number = 0; number < entries.GetSize(); ++number) write(AddressBookKey(number), entries[number]);
}

CString StoredAddress(const CString& typed) {
  CString stored = typed;
  stored.MakeLower();
  return stored;
}

bool ContainsNoCase(const CStringArray& list, const CString& text) {
  for (const CString& item : list) {
    if (item.CompareNoCase(text) == 0) return true;
  }
  return false;
}
