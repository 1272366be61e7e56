// The acquisition library's texts: its strings (from its language library when one is
// loaded) and its message boxes.
#pragma once

#include <windows.h>

#include "framework/String.h"

// The library's string `id`, from the language library when one is loaded.
CString ScanString(UINT id);
// A message box without owner, caption "Scanning" and a single OK button.
void ScanMessage(const CString& text);
// The same in front of everything, the program's topmost progress window included: a failure
// that ends the scan.
void ScanWarning(const CString& text);
