// The hand-off values under the engine's key.
#include "tools/ocrengine/HandoffValues.h"

namespace {
#ifdef OCRENGINE_EDITION_96
const char kKey[] = "Software\\Xerox\\TextBridge\\Classic 96\\TextBridge";
const bool kEdition20 = false;
#else
const char kKey[] = "Software\\Xerox\\TextBridge\\Classic 2.0\\TextBridge";
const bool kEdition20 = true;
#endif
const DWORD kFileNameField = 257;

DWORD ReadNumber(HKEY key, const char* name) {
  DWORD value = 0, type = 0, size = sizeof(value);
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return 0;
  }
  return value;
}

// A text value of at most `field` bytes, up to its first zero byte.
std::string ReadText(HKEY key, const char* name, DWORD field) {
  std::string buffer(field, '\0');
  DWORD type = 0, size = field;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::string();
  }
  buffer.resize(size < field ? size : field);
  return buffer.substr(0, buffer.find('\0'));
}
}  // namespace

const char* EngineKey() { return kKey; }
bool IsEdition20() { return kEdition20; }

HandoffValues ReadHandoffValues() {
  HandoffValues values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  values.faceless = ReadNumber(key, "Faceless") == 1;
  values.paste = ReadNumber(key, "Paste") == 1;
  // Window handles are 32-bit values, sign-extended in a 64-bit process.
  values.applicationWnd =
      reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(ReadNumber(key, "ApplicationWnd"))));
  if (kEdition20) values.autoFileName = ReadText(key, "AutoFileName", kFileNameField);
  values.pdfFileName = ReadText(key, "PdfFileName", kFileNameField);
  values.tsvFileName = ReadText(key, "TsvFileName", kFileNameField);
  RegCloseKey(key);
  return values;
}
