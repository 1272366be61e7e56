// The automatic-size job's detection step: finds the document on the prescan file.
#pragma once

#include "app/RectObj.h"

// Loads the prescan at its own depth, converts it to 24 bits when it is not, and runs the
// detection into the library binding's area list. True with the first area found by this
// run; false when the file cannot be loaded or nothing is found, and after the "AutoMode"
// message when memory runs short.
bool FindDocumentArea(const char* prescanPath, CRectObj& area);
