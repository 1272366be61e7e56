// Log lines of the stand-in programs: one UTF-8 line appended per record, in one write.
#include "tools/standins/LogFile.h"

#include <windows.h>

#include <vector>

std::wstring FileBesideProgram(const wchar_t* name) {
  wchar_t module[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return name;
  std::wstring path(module, length);
  const size_t slash = path.find_last_of(L"\\/");
  return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + name;
}

std::wstring Printable(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out)
    if (c < 0x20) c = static_cast<wchar_t>(0x2400 + c);
  return out;
}

bool AppendLogLine(const std::wstring& path, const std::wstring& line) {
  const std::wstring whole = line + L"\r\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, whole.c_str(), static_cast<int>(whole.size()), nullptr, 0,
                                        nullptr, nullptr);
  if (bytes <= 0) return false;
  std::vector<char> utf8(bytes);
  WideCharToMultiByte(CP_UTF8, 0, whole.c_str(), static_cast<int>(whole.size()), utf8.data(), bytes, nullptr,
                      nullptr);
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, utf8.data(), static_cast<DWORD>(bytes), &written, nullptr) &&
                  written == static_cast<DWORD>(bytes);
  CloseHandle(file);
  return ok;
}
