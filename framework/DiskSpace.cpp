// FreeDiskSpace.
#include "framework/DiskSpace.h"

#include <windows.h>
// shlwapi.h needs windows.h first.
#include <shlwapi.h>

#include <cstring>
#include <string>

namespace {
// "X:\" of a drive-letter path, "\\server\share\" of a UNC path; empty for anything else.
std::string RootOf(const char* path) {
  if (!path || !path[0]) return std::string();
  if (path[1] == ':') return std::string(path, 2) + "\\";
  if (path[0] != '\\' || path[1] != '\\') return std::string();
  const char* server = path + 2;
  const char* share = std::strchr(server, '\\');
  if (!share || share == server) return std::string();
  const char* end = std::strchr(share + 1, '\\');
  return end ? std::string(path, static_cast<size_t>(end - path + 1)) : std::string(path) + "\\";
}
}  // namespace

bool FreeDiskSpace(const char* path, uint64_t& bytes) {
  const std::string root = RootOf(path);
  if (root.empty()) return false;
  // GetDiskFreeSpaceA rather than its Ex form: the acquisition tests stand in for it to
  // report a nearly full disk.
  DWORD sectors = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(root.c_str(), &sectors, &bytesPerSector, &freeClusters, &clusters)) return false;
  bytes = FreeDiskBytes(freeClusters, sectors, bytesPerSector);
  return true;
}

CString DiskRoot(const char* path) {
  const std::string root = RootOf(path);
  return root.empty() ? CString(path ? path : "") : CString(root);
}

CString ByteSizeText(uint64_t bytes) {
  char text[64] = {};
  if (!StrFormatByteSize64A(static_cast<LONGLONG>(bytes), text, sizeof(text)))
    return CString::Format("%llu bytes", static_cast<unsigned long long>(bytes));
  return CString(text);
}
