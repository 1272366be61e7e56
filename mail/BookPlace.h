// Where the address book lives: in the user's application data ("<APPDATA>\Orvane\Rurizeri.ini").
// A book kept in the Windows folder by older versions, or redirected from there into the user's
// virtual store, is taken over (copied) the first time; the old file stays where it is.
// Platform-free: the folders and the file test are handed in.
#pragma once

#include <functional>

#include "framework/String.h"

struct BookPlace {
  CString path;          // the book to read and write
  CString folder;        // the folder to make before writing (empty: it exists)
  CString takeOverFrom;  // an older book to copy to `path` first (empty: none)
};

// `appData`, `localAppData`: the user's roaming and local application data folders (empty when
// unknown); `windowsDir`: the Windows folder ("C:\Windows"); `exists(path)`: a file is there.
// Without application data the book stays in the Windows folder, as before.
BookPlace ChooseBookPlace(const CString& appData, const CString& localAppData, const CString& windowsDir,
                          const std::function<bool(const CString& path)>& exists);
