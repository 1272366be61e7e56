// Console output of the driver: UTF-8 lines on stdout, one-line failure reasons on stderr.
#include "tools/guidriver/Output.h"

#include <cwchar>

namespace {

void WriteUtf8(DWORD stdHandle, const std::wstring& text) {
  std::wstring line = text + L"\n";
  int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr,
                                 nullptr);
  if (size <= 0) return;
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0], size, nullptr,
                      nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(stdHandle), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void PrintLine(const std::wstring& text) { WriteUtf8(STD_OUTPUT_HANDLE, text); }

namespace {
std::wstring g_failureMarker;
}  // namespace

void SetFailureMarker(const std::wstring& marker) { g_failureMarker = marker; }

int Fail(const std::wstring& reason) {
  std::wstring line = L"guidriver: " + Field(reason);
  if (g_failureMarker.empty())
    WriteUtf8(STD_ERROR_HANDLE, line);
  else
    WriteUtf8(STD_OUTPUT_HANDLE, g_failureMarker + line);
  return 1;
}

std::wstring HwndText(HWND wnd) {
  wchar_t buffer[16];
  swprintf(buffer, 16, L"0x%08X", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(wnd)));
  return buffer;
}

std::wstring Field(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'\t')
      out += L"\\t";
    else if (c == L'\r')
      out += L"\\r";
    else if (c == L'\n')
      out += L"\\n";
    else
      out += c;
  }
  return out;
}
