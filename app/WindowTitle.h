// The front panel's title from the scanner description's Brand, Model and Package.
// Platform-free.
#pragma once

#include "framework/String.h"

// True for a value that means "not set": empty or "NULL".
bool IsUnsetValue(const CString& value);

// Brand becomes the title; Model and Package follow, each after one space (or begin the
// title when it is still empty). Unset parts are left out; nothing set gives `appTitle`.
CString ComposeWindowTitle(const CString& brand, const CString& model, const CString& package,
                           const CString& appTitle);
