// Paper-name list.
#include "app/settings/PaperNames.h"

#include "app/settings/TokenList.h"

const char kAutoPaperName[] = "Auto";

CStringArray BuildPaperNameList(int paperCount, const CString& paperNameValue, int autoEntry) {
  CStringArray names;
  if (paperCount >= 1) names = SplitTokens(paperNameValue);
  if (autoEntry != 0) names.Add(kAutoPaperName);
  return names;
}
