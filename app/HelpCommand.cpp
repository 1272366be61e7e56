// Help command line.
#include "app/HelpCommand.h"

#include "app/LanguageTable.h"
#include "app/WindowTitle.h"

CString HelpCommandLine(const CString& helpBase, const CString& helper, unsigned languageId) {
  const CString viewer = helper.Upper();
  CString file = IsUnsetValue(helpBase) ? CString("h") : helpBase;
  file += HelpSuffix(languageId);
  file += viewer == "HH" ? ".chm" : ".hlp";
  return viewer + " " + file;
}
