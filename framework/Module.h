// Per-module state of the framework: the module's own instance and its resource source.
// The framework is linked statically into each deliverable, so every module has its own.
#pragma once

#include <windows.h>

#include "framework/String.h"

namespace Module {
// The module (program or library) this code is linked into.
HINSTANCE Instance();
// Where strings and dialog templates of this module are looked up (the module itself,
// or a language library that replaces it).
HINSTANCE ResourceSource();
void SetResourceSource(HINSTANCE source);
// Directory of the module's file, ending in a backslash. The path is cut to `bufferSize`
// characters, as the platform call does.
CString Directory(HINSTANCE module, DWORD bufferSize = MAX_PATH);
}  // namespace Module

// Loads string `id` from `module`; empty when it has none.
CString LoadResourceString(HINSTANCE module, UINT id);

// Makes `source` the resource source for the lifetime of the scope.
class CResourceSourceScope {
 public:
  explicit CResourceSourceScope(HINSTANCE source) : m_previous(Module::ResourceSource()) {
    Module::SetResourceSource(source);
  }
  ~CResourceSourceScope() { Module::SetResourceSource(m_previous); }
  CResourceSourceScope(const CResourceSourceScope&) = delete;
  CResourceSourceScope& operator=(const CResourceSourceScope&) = delete;

 private:
  HINSTANCE m_previous;
};
