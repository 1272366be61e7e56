// The scanner's language, from the handing program's settings.
#include "tools/ocrengine/ScannerLanguage.h"

#include <psapi.h>

namespace {
std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ProgramDirectoryOf(HWND window) {
  DWORD processId = 0;
  if (!window || !IsWindow(window) || !GetWindowThreadProcessId(window, &processId)) return std::string();
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return std::string();
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameExA(process, nullptr, path, sizeof(path));
  CloseHandle(process);
  return length > 0 && length < sizeof(path) ? DirectoryOf(path) : std::string();
}

std::string ProfileText(const std::string& file, const char* section, const char* key, const char* fallback,
                        DWORD size) {
  std::string buffer(size, '\0');
  const DWORD length = GetPrivateProfileStringA(section, key, fallback, &buffer[0], size, file.c_str());
  buffer.resize(length < size ? length : size - 1);
  return buffer;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

std::string FindScannerLanguage(HWND applicationWnd, const std::string& imagePath) {
  std::string programDir = ProgramDirectoryOf(applicationWnd);
  if (programDir.empty()) {
    const std::string imageDir = DirectoryOf(imagePath);
    programDir = imageDir.empty() ? std::string() : DirectoryOf(imageDir.substr(0, imageDir.size() - 1));
  }
  const std::string settings = programDir + "Quendel.ini";
  if (programDir.empty() || !IsFile(settings)) return std::string();
  const std::string description = ProfileText(settings, "Scan Setting", "Path", "", 500);
  if (description.empty() || !IsFile(description)) return std::string();
  const std::string section = ProfileText(description, "CaseInfo", "DSSectionName", "ZR7INFO_600", 200);
  const std::string language = ProfileText(description, section.c_str(), "LANGUAGE", "NULL", 256);
  return language == "NULL" ? std::string() : language;
}
