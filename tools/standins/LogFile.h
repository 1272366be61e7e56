// Log lines of the stand-in programs: one UTF-8 line appended per record, in one write.
#pragma once

#include <string>

// The path of `name` in the directory of the running program.
std::wstring FileBesideProgram(const wchar_t* name);

// `text` with every control character (tab, CR, LF, ...) shown as its Unicode control picture,
// so that a value never breaks a record's fields or lines.
std::wstring Printable(const std::wstring& text);

// Appends `line` and CR LF to the file at `path` (created when missing) with a single write,
// so that lines of programs logging at the same time never interleave. False when it cannot.
bool AppendLogLine(const std::wstring& path, const std::wstring& line);
