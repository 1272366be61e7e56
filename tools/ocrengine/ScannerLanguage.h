// The language of the scanner whose page the engine reads: named in the scanner description
// file that the handing program's settings ("Quendel.ini" beside it) point to.
#pragma once

#include <windows.h>

#include <string>

// The description's language name ("GERMAN"), or empty when it cannot be found. The program's
// directory is that of the process owning `applicationWnd`, else the one above the image's
// directory (the program keeps its job images in a folder of its own).
std::string FindScannerLanguage(HWND applicationWnd, const std::string& imagePath);
