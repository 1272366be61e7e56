// The child windows of a top-level window and their texts, as a test sees them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// All descendants of PARENT, depth first, each level in z-order (topmost first).
std::vector<HWND> Descendants(HWND parent);

// Text of a control, also of another process's edit control (WM_GETTEXT, bounded by TIMEOUT).
std::wstring ControlText(HWND wnd, DWORD timeout);

// Internal text of a window (no message sent, so a hung target cannot block us).
std::wstring WindowTitle(HWND wnd);
std::wstring WindowClass(HWND wnd);
// Button text without its mnemonic marks: "&Save" -> "Save", "&&" -> "&".
std::wstring WithoutMnemonic(const std::wstring& text);
