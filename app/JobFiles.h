// Files of a scan job: the program's working directories (TEMP, DATA), fresh clock-based file
// names in them, and short (8.3) paths.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "app/LocalTime.h"
#include "framework/String.h"

namespace JobFiles {
// Makes sure `directory` exists: entered, or else created. The process's current directory is
// `programDir` afterwards when it was entered. False when it can neither be entered nor made.
bool EnsureDirectory(const CString& directory, const CString& programDir);
// A fresh name "<directory>\P<7 characters><extension>" from the local time. A name counts as
// taken when a file exists under it with `extension` or with any of `alsoTaken` (the other
// extensions the job may give the same page), so no page of a job can overwrite another. When
// the name is taken it is formed again from the clock (which moves once a second); after about
// ten seconds without a free name the result is empty.
CString FreshFileName(const CString& directory, const char* extension,
                      std::initializer_list<const char*> alsoTaken = {});
// The short (8.3) form of an existing path, at most 255 characters; the path itself when the
// volume has no short names.
CString ShortPath(const CString& path);
// A file (not a directory) exists at `path`.
bool FileExists(const char* path);
// The local clock now.
LocalTime LocalNow();
}  // namespace JobFiles
