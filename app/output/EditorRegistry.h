// Registry look-ups of applications the program hands pages to: the default image editor and
// Selvora.exe (by their App Paths entries), and registry values in general.
#pragma once

#include <windows.h>

#include "framework/String.h"

namespace EditorRegistry {
// Default value of `subKey` under `root`, at most `bufferSize` bytes; empty when the key
// cannot be opened or holds no text.
CString ReadDefaultValue(HKEY root, const char* subKey, DWORD bufferSize = 256);
// Text value `name` of an open key, at most `bufferSize` bytes; empty when absent.
CString ReadTextValue(HKEY key, const char* name, DWORD bufferSize);
// Registered path of "Ipe.exe", or of "MAGIC6.EXE" for the Japanese edition.
CString DefaultEditorPath(WORD languageId);
CString SelvoraPath();
// A file (not a directory) exists at `path`.
bool FileExists(const CString& path);
}  // namespace EditorRegistry
