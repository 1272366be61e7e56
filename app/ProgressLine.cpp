// The progress window's page line.
#include "app/ProgressLine.h"

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

// Scanning bytes is safe in every code page the languages use: a "1" (0x31) is never the
// second byte of a double-byte character in 932, 936, 949 or 950 (those start at 0x40).
std::string PageLine(const std::string& text, int page) {
  const std::string number = std::to_string(page);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '1') continue;
    if ((i > 0 && IsDigit(text[i - 1])) || (i + 1 < text.size() && IsDigit(text[i + 1]))) continue;
    return text.substr(0, i) + number + text.substr(i + 1);
  }
  return page == 1 ? text : text + " " + number;
}
