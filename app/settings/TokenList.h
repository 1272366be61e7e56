// Space-separated lists of the profile files (PaperName, SupportRes). Platform-free.
#pragma once

#include "framework/String.h"

// Splits at single spaces, left to right: two adjacent spaces give an empty token, an empty
// value gives one empty token, a trailing space adds no token.
CStringArray SplitTokens(const CString& value);
