// One argument of a Windows command line, quoted so that the started program's C runtime
// reads it back exactly. Platform-free.
#pragma once

#include <string>

// `arg` in quotes; a quote inside becomes \" and the backslashes before a quote (or before the
// closing quote) are doubled, so that none of them escapes a quote it was not meant to.
std::string QuotedArgument(const std::string& arg);
