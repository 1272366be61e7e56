// The folder of the library's page files (see PageFolder.h).
#include "scan/PageFolder.h"

#include <windows.h>

#include "framework/Module.h"

CString PageFolder::Path() {
  CString library = Module::Directory(Module::Instance());
  const CString temp = library + "TEMP";
  const DWORD attributes = GetFileAttributesA(temp.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return temp + "\\";
  if (attributes == INVALID_FILE_ATTRIBUTES && CreateDirectoryA(temp.c_str(), nullptr)) return temp + "\\";
  return library;
}
