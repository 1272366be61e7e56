// Registry look-ups of the image editors and Selvora.exe.
#include "app/output/EditorRegistry.h"

#include <vector>

#include "app/JobFiles.h"
#include "app/PanelRules.h"
#include "framework/Handles.h"
#include "framework/Module.h"
#include "resources/orvane/resource.h"

namespace EditorRegistry {

CString ReadTextValue(HKEY key, const char* name, DWORD bufferSize) {
  if (!key || bufferSize == 0) return CString();
  std::vector<char> buffer(bufferSize + 1, '\0');
  DWORD type = 0;
  DWORD size = bufferSize;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS) {
    return CString();
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return CString();
  // The stored text need not be terminated; never read past what was returned.
  if (size > bufferSize) size = bufferSize;
  buffer[size] = '\0';
  return CString(buffer.data());
}

CString ReadDefaultValue(HKEY root, const char* subKey, DWORD bufferSize) {
  HKEY opened = nullptr;
  if (!subKey || !*subKey || RegOpenKeyExA(root, subKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return CString();
  CRegKey key(opened);
  return ReadTextValue(key.Get(), nullptr, bufferSize);
}

// The key names are platform data, not user texts: they come from the program's own table.
CString DefaultEditorPath(WORD languageId) {
  const UINT keyId = languageId == Panel::kJapanese ? IDS_EDITOR_KEY_JAPANESE : IDS_EDITOR_KEY;
  return ReadDefaultValue(HKEY_LOCAL_MACHINE, LoadResourceString(Module::Instance(), keyId).c_str());
}

CString SelvoraPath() {
  return ReadDefaultValue(HKEY_LOCAL_MACHINE,
                          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Selvora.exe");
}

bool FileExists(const CString& path) { return !path.IsEmpty() && JobFiles::FileExists(path.c_str()); }

}  // namespace EditorRegistry
