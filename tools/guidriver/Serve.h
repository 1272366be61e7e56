// The driver's serve mode: many commands in one Wine process, so that a test pays for one
// process start instead of one per command.
#pragma once

// Reads commands from stdin until it ends, one per line: UTF-8, the words separated by tabs,
// with "\\", "\t" and "\n" written as backslash escapes. Each command's output lines go to
// stdout as usual, its failure reasons as lines that begin with kServeFailure, and a line of
// kServeEnd followed by the exit code ends it. Returns 0 when stdin has ended.
int Serve();

constexpr wchar_t kServeFailure = L'\x02';
constexpr wchar_t kServeEnd = L'\x03';
