// Finds the document on an automatic-size prescan file.
#include "app/DocumentFinder.h"

bool FindDocumentArea(const char* prescanPath, CRectObj& area) { return false; }
