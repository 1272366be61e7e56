// A text button drawn as one of the panel's keys: a rounded key with a light top and a dark
// bottom, white text, darker and shifted when pressed, a blue rim when focused. For buttons
// whose text is localised (a bitmap face cannot carry it).
#pragma once

#include <windows.h>

#include "framework/String.h"

// Handles the owner's WM_DRAWITEM of such a button.
void DrawKeyButton(const DRAWITEMSTRUCT& item, HFONT font, const CString& text);
// The room a key needs beside its text's width.
const int kKeyButtonPadding = 16;
