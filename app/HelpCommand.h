// The command line that opens the help: viewer, one space, help file. Platform-free.
#pragma once

#include <functional>

#include "framework/String.h"

// The help file of a language: `helpBase` ("NULL" or empty gives "h"), the language's
// suffix, and ".chm" when the upper-cased `helper` is "HH", else ".hlp".
CString HelpFileName(const CString& helpBase, const CString& helper, unsigned languageId);

// The upper-cased viewer ("WinHelp" when `helper` is "NULL" or empty; quoted when it holds a
// blank), one space, and the help file to open. The language's file beside
// the program (`programDir` ends with a separator) is preferred, then the English one, each
// passed as a full path (quoted when it holds a space) so that the viewer opens the file that
// was found whatever its own current directory. When neither lies beside the program the
// language's bare file name is passed, for the viewer's own search and its own report.
CString HelpCommandLine(const CString& helpBase, const CString& helper, unsigned languageId,
                        const CString& programDir, const std::function<bool(const CString&)>& fileExists);
