// The editor stand-in's window, shown when asked to stay open: the page it was given, scaled
// to fit, under the title "Ipe - <file name>". Runs until the window is closed.
#pragma once

#include <windows.h>

#include <string>

int RunEditorWindow(HINSTANCE instance, const std::wstring& image, int show);
