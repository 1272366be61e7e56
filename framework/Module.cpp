// Per-module instance and resource source.
#include "framework/Module.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
HINSTANCE g_resourceSource = nullptr;
}

namespace Module {
HINSTANCE Instance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

HINSTANCE ResourceSource() { return g_resourceSource ? g_resourceSource : Instance(); }

void SetResourceSource(HINSTANCE source) { g_resourceSource = source; }

CString Directory(HINSTANCE module, DWORD bufferSize) {
  char path[1024] = {};
  if (bufferSize > sizeof(path)) bufferSize = sizeof(path);
  const DWORD length = GetModuleFileNameA(module, path, bufferSize);
  CString full(path, length < bufferSize ? length : bufferSize - 1);
  const int slash = full.ReverseFind('\\');
  return slash < 0 ? CString() : full.Left(slash + 1);
}
}  // namespace Module

CString LoadResourceString(HINSTANCE module, UINT id) {
  char buffer[1024];
  const int length = LoadStringA(module, id, buffer, sizeof(buffer));
  return length > 0 ? CString(buffer, static_cast<size_t>(length)) : CString();
}
