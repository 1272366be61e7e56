// Turns a KEYS text ("abc{ENTER}{ALT+F4}") into the keyboard events SendInput replays.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Plain characters stand for themselves; {NAME} is a named key (ENTER ESC TAB SPACE BACKSPACE
// DELETE UP DOWN LEFT RIGHT HOME END F1..F12), optionally after ALT+ CTRL+ SHIFT+ prefixes,
// which also take one plain character ({CTRL+A}); {{} and {}} are the braces themselves.
// False with ERROR on an unknown name or an unclosed brace.
bool ParseKeys(const std::wstring& keys, std::vector<INPUT>& events, std::wstring& error);
