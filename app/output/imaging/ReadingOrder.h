// The order in which the documents found on the glass are read: top to bottom, and left to
// right among those side by side (a document whose top lies above the middle of the first one
// of a row belongs to that row). Platform-free.
#pragma once

#include <vector>

#include "app/RectObj.h"

// `areas` as the detection gives them (y from the top of the glass: y2 the top row, y1 the bottom).
void SortInReadingOrder(std::vector<CRectObj>& areas);
