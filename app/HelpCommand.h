// The command line that opens the help: viewer, one space, help file. Platform-free.
#pragma once

#include "framework/String.h"

// `helpBase` is the Help value ("NULL" or empty gives "h"), `helper` the Helper value
// (upper-cased; "HH" takes a .chm file, any other viewer a .hlp file).
CString HelpCommandLine(const CString& helpBase, const CString& helper, unsigned languageId);
