// Files of a scan job: working directories, fresh names, short paths.
#include "app/JobFiles.h"

#include "app/FreshName.h"

namespace JobFiles {
namespace {
const int kNameAttempts = 50;
const DWORD kNameRetryMs = 200;

std::string StemNow() { return FreshNameStem(LocalNow()); }
}  // namespace

LocalTime LocalNow() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  return time;
}

bool FileExists(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EnsureDirectory(const CString& directory, const CString& programDir) {
  if (SetCurrentDirectoryA(directory.c_str())) {
    SetCurrentDirectoryA(programDir.c_str());
    return true;
  }
  return CreateDirectoryA(directory.c_str(), nullptr) != FALSE;
}

CString FreshFileName(const CString& directory, const char* extension,
                      std::initializer_list<const char*> alsoTaken) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string stem = StemNow();
    const std::string path = FreshNamePath(directory.str(), stem, extension);
    bool taken = FileExists(path.c_str());
    for (const char* other : alsoTaken) {
      if (!taken) taken = FileExists(FreshNamePath(directory.str(), stem, other).c_str());
    }
    if (!taken) return CString(path);
    // The name follows the clock's seconds: wait for the next one instead of spinning.
    Sleep(kNameRetryMs);
  }
  return CString();
}

CString ShortPath(const CString& path) {
  char shortPath[256] = {};
  const DWORD length = GetShortPathNameA(path.c_str(), shortPath, sizeof(shortPath));
  if (length == 0 || length >= sizeof(shortPath)) return path;
  return CString(shortPath);
}
}  // namespace JobFiles
