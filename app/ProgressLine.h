// The progress window's page line: the localised "Scanning Page: 1" with the number of the
// page now coming in place of its "1", so that every page of a feeder batch is named.
// Platform-free.
#pragma once

#include <string>

// `text` (ANSI code page) with its first "1" that stands alone (no ASCII digit beside it)
// replaced by `page` in decimal. A text without one is kept for page 1 and gets the number
// appended otherwise, so that a later page is never shown as the first.
std::string PageLine(const std::string& text, int page);
