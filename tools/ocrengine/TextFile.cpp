// Whole small files for the OCR engine.
#include "tools/ocrengine/TextFile.h"

#include <windows.h>

namespace TextFile {
std::string Read(const std::string& path, size_t limit) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string data;
  char buffer[64 * 1024];
  DWORD got = 0;
  while (data.size() < limit) {
    const size_t want = limit - data.size() < sizeof(buffer) ? limit - data.size() : sizeof(buffer);
    if (!ReadFile(file, buffer, static_cast<DWORD>(want), &got, nullptr) || got == 0) break;
    data.append(buffer, got);
  }
  CloseHandle(file);
  return data;
}

bool Write(const std::string& path, const std::string& data) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                     written == data.size();
  CloseHandle(file);
  if (!whole) DeleteFileA(path.c_str());
  return whole;
}
}  // namespace TextFile
