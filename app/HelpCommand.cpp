// Help command line: the language's help file, or the English one where it is missing.
#include "app/HelpCommand.h"

#include "app/LanguageTable.h"
#include "app/WindowTitle.h"

namespace {
CString Argument(const CString& file) { return file.Find(' ') >= 0 ? "\"" + file + "\"" : file; }
}  // namespace

CString HelpFileName(const CString& helpBase, const CString& helper, unsigned languageId) {
  CString file = IsUnsetValue(helpBase) ? CString("h") : helpBase;
  file += HelpSuffix(languageId);
  file += helper.Upper() == "HH" ? ".chm" : ".hlp";
  return file;
}

CString HelpCommandLine(const CString& helpBase, const CString& helper, unsigned languageId,
                        const CString& programDir, const std::function<bool(const CString&)>& fileExists) {
  const CString viewer = helper.Upper() + " ";
  const CString own = HelpFileName(helpBase, helper, languageId);
  if (fileExists(programDir + own)) return viewer + Argument(programDir + own);
  const CString english = HelpFileName(helpBase, helper, kLanguageNone);
  if (fileExists(programDir + english)) return viewer + Argument(programDir + english);
  return viewer + Argument(own);
}
