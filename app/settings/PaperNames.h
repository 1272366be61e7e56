// The application-wide paper-name list: the scanner's paper names, then "Auto". Platform-free.
#pragma once

#include "framework/String.h"

extern const char kAutoPaperName[];  // "Auto"

// `paperNameValue` is the PaperName text; it is taken only when `paperCount` is at least 1,
// and then all of its tokens enter the list. "Auto" follows when `autoEntry` is nonzero.
CStringArray BuildPaperNameList(int paperCount, const CString& paperNameValue, int autoEntry);
