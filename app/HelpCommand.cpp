// Help command line: the language's help file, or the English one where it is missing.
#include "app/HelpCommand.h"

#include "app/LanguageTable.h"
#include "app/WindowTitle.h"

namespace {
// The viewer when the description file sets none ("WinHelp", upper-cased like any viewer).
const char kDefaultViewer[] = "WINHELP";

// A name with a blank is quoted, so that it stays one argument (for the viewer: so that no
// program named by its first words is started instead).
CString Argument(const CString& name) {
  return name.Find(' ') >= 0 || name.Find('\t') >= 0 ? "\"" + name + "\"" : name;
}
}  // namespace

CString HelpFileName(const CString& helpBase, const CString& helper, unsigned languageId) {
  CString file = IsUnsetValue(helpBase) ? CString("h") : helpBase;
  file += HelpSuffix(languageId);
  file += helper.Upper() == "HH" ? ".chm" : ".hlp";
  return file;
}

CString HelpCommandLine(const CString& helpBase, const CString& helper, unsigned languageId,
                        const CString& programDir, const std::function<bool(const CString&)>& fileExists) {
  const CString viewer = Argument(IsUnsetValue(helper) ? CString(kDefaultViewer) : helper.Upper()) + " ";
  const CString own = HelpFileName(helpBase, helper, languageId);
  if (fileExists(programDir + own)) return viewer + Argument(programDir + own);
  const CString english = HelpFileName(helpBase, helper, kLanguageNone);
  if (fileExists(programDir + english)) return viewer + Argument(programDir + english);
  return viewer + Argument(own);
}
