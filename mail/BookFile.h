// The address book file of the current user, an older book taken over on first use.
#pragma once

#include "framework/String.h"

namespace BookFile {
// The book's full path ("<APPDATA>\Orvane\Rurizeri.ini"); its folder is made, and a book left in
// the Windows folder or the virtual store is copied there when the user has none yet.
CString Path();
}  // namespace BookFile
