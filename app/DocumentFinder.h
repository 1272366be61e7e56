// The automatic-size job's detection step: finds the document on the prescan file.
#pragma once

#include <memory>
#include <vector>

#include "app/RectObj.h"

enum class DocumentSearch { kFound, kNotFound, kNoMemory };

// Loads the prescan at its own depth, converts it to 24 bits when it is not, and runs the
// detection, which appends its areas to `detected` and counts its passes in `passCounter`.
// kFound with the first area found by this run in `area`; kNotFound when the file cannot be
// loaded or nothing is found; kNoMemory when memory ran short (the caller tells the user).
DocumentSearch FindDocumentArea(const char* prescanPath, std::vector<std::unique_ptr<CRectObj>>& detected,
                                int& passCounter, CRectObj& area);
