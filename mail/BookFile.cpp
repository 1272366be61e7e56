// The address book file: the user's folders, the folder made, the older book copied.
#include "mail/BookFile.h"

#include <windows.h>

#include <shlobj.h>

#include "mail/BookPlace.h"

namespace {
CString KnownFolder(int csidl) {
  char path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? CString(path)
                                                                                        : CString();
}

bool FileExists(const CString& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

namespace BookFile {
CString Path() {
  char windowsDir[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
  if (length == 0 || length >= sizeof(windowsDir)) windowsDir[0] = '\0';
  const BookPlace place =
      ChooseBookPlace(KnownFolder(CSIDL_APPDATA), KnownFolder(CSIDL_LOCAL_APPDATA), windowsDir, FileExists);
  if (!place.folder.IsEmpty()) CreateDirectoryA(place.folder.c_str(), nullptr);
  // The old book stays where it was, for older versions and other users.
  if (!place.takeOverFrom.IsEmpty()) CopyFileA(place.takeOverFrom.c_str(), place.path.c_str(), TRUE);
  return place.path;
}
}  // namespace BookFile
