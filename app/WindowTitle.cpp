// Window title.
#include "app/WindowTitle.h"

bool IsUnsetValue(const CString& value) { return value.IsEmpty() || value == "NULL"; }

CString ComposeWindowTitle(const CString& brand, const CString& model, const CString& package,
                           const CString& appTitle) {
  CString title;
  for (const CString* part : {&brand, &model, &package}) {
    if (IsUnsetValue(*part)) continue;
    if (!title.IsEmpty()) title += ' ';
    title += *part;
  }
  return title.IsEmpty() ? appTitle : title;
}
