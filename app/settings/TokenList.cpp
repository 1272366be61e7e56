// Token lists.
#include "app/settings/TokenList.h"

CStringArray SplitTokens(const CString& value) {
  CStringArray tokens;
  const std::string& text = value.str();
  size_t start = 0;
  for (;;) {
    const size_t space = text.find(' ', start);
    if (space == std::string::npos) {
      tokens.Add(CString(text.substr(start)));
      return tokens;
    }
    tokens.Add(CString(text.substr(start, space - start)));
    start = space + 1;
    if (start == text.size()) return tokens;
  }
}
