// Console output of the driver: UTF-8 lines on stdout, one-line failure reasons on stderr.
#pragma once

#include <windows.h>

#include <string>

// Writes TEXT and a newline to stdout as UTF-8, unbuffered so a reader sees it at once.
void PrintLine(const std::wstring& text);

// Writes REASON to stderr and returns the failure exit code (1).
int Fail(const std::wstring& reason);

// From now on failure reasons go to stdout after MARKER (the serve mode's one stream).
void SetFailureMarker(const std::wstring& marker);

// "0x%08X" of a window handle, the form `list` prints and `--hwnd` accepts.
std::wstring HwndText(HWND wnd);

// Keeps a field on one line and free of the tab separator: tab, CR and LF become \t \r \n.
std::wstring Field(const std::wstring& text);
