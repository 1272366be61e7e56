// Rules of the address book file Rurizeri.ini (section BookMark, keys MailAdd0, MailAdd1, ...
// without gaps) and of the address lists of the address book dialog. Platform-free: the
// profile access is handed in.
#pragma once

#include <functional>

#include "framework/String.h"

extern const char kAddressBookFile[];
extern const char kAddressBookSection[];

// "MailAdd" followed by the entry number in decimal.
CString AddressBookKey(int number);

// Reads entries from MailAdd0 on and stops at the first value that is missing, empty or
// "NULL" (the read default). `read(key)` returns a key's value or "NULL" when it is missing.
// There is no limit on the count: a book written with more entries than the classic 128 is
// read back whole.
CStringArray ReadAddressBook(const std::function<CString(const CString& key)>& read);

// Writes every entry as MailAdd0, MailAdd1, ... in order through `write(key, value)`, after
// `clear()` has deleted the section.
void WriteAddressBook(const CStringArray& entries, const std::function<void()>& clear,
                      const std::function<void(const CString& key, const CString& value)>& write);

// The form a typed address is stored in: lower case.
CString StoredAddress(const CString& typed);

// Whether `list` holds `text`, compared without regard to case.
bool ContainsNoCase(const CStringArray& list, const CString& text);
