// A text button drawn as one of the panel's keys: a rounded key with a light top and a dark
// bottom, white text, darker and shifted when pressed, a blue rim when focused. For buttons
// whose text is localised (a bitmap face cannot carry it).
#pragma once

#include <windows.h>

#include "framework/String.h"

// Handles the owner's WM_DRAWITEM of such a button.
void DrawKeyButton(const DRAWITEMSTRUCT& item, HFONT font, const CString& text);
// The size a key needs for `text` in `font` at the height of `height`.
SIZE KeyButtonSize(HWND button, HFONT font, const CString& text, int height);
