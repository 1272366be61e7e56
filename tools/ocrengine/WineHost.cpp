// Wine's path conversions and native program runs, found at run time (absent on Windows).
#include "tools/ocrengine/WineHost.h"

#include <windows.h>

namespace WineHost {
namespace {
using ToUnixFn = char*(CDECL*)(const WCHAR*);
using ToWindowsFn = WCHAR*(CDECL*)(const char*);
using SpawnFn = LONG(WINAPI*)(char* const* argv, int wait);

FARPROC Export(const char* module, const char* name) {
  HMODULE handle = GetModuleHandleA(module);
  return handle ? GetProcAddress(handle, name) : nullptr;
}

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

std::string Narrow(const WCHAR* text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(length) - 1);
  return narrow;
}
}  // namespace

bool Running() { return Export("ntdll.dll", "wine_get_version") != nullptr; }

std::string UnixPath(const std::string& windowsPath) {
  auto toUnix = reinterpret_cast<ToUnixFn>(Export("kernel32.dll", "wine_get_unix_file_name"));
  if (!toUnix) return std::string();
  char* unixPath = toUnix(Wide(windowsPath).c_str());
  if (!unixPath) return std::string();
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

std::string WindowsPath(const std::string& unixPath) {
  auto toWindows = reinterpret_cast<ToWindowsFn>(Export("kernel32.dll", "wine_get_dos_file_name"));
  if (!toWindows) return std::string();
  WCHAR* windowsPath = toWindows(unixPath.c_str());
  if (!windowsPath) return std::string();
  std::string result = Narrow(windowsPath);
  HeapFree(GetProcessHeap(), 0, windowsPath);
  return result;
}

int RunNative(const std::vector<std::string>& argv) {
  auto spawn = reinterpret_cast<SpawnFn>(Export("ntdll.dll", "__wine_unix_spawnvp"));
  if (!spawn || argv.empty()) return -1;
  std::vector<char*> pointers;
  pointers.reserve(argv.size() + 1);
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);
  const LONG status = spawn(pointers.data(), TRUE);
  // A program that could not be started comes back as an NT status, not an exit code.
  return status < 0 ? -1 : static_cast<int>(status);
}
}  // namespace WineHost
