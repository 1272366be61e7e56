// The acquisition library's texts.
#include "scan/ScanText.h"

#include "framework/Module.h"
#include "resources/capturo/resource.h"

CString ScanString(UINT id) { return LoadResourceString(Module::ResourceSource(), id); }

void ScanMessage(const CString& text) {
  MessageBoxA(nullptr, text.c_str(), ScanString(IDS_CAPTION).c_str(), MB_OK);
}

void ScanWarning(const CString& text) {
  MessageBoxA(nullptr, text.c_str(), ScanString(IDS_CAPTION).c_str(),
              MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}
