// Finds the document on an automatic-size prescan file.
#pragma once

#include "app/RectObj.h"

// Loads the prescan, runs the detection into the library binding's list of areas and gives the
// first area found. False when the file cannot be loaded, nothing was found or memory ran out
// (after the "AutoMode" message).
bool FindDocumentArea(const char* prescanPath, CRectObj& area);
