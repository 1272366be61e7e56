// Whether a page holds anything: any mark darker than its paper by more than show-through or
// noise reaches, covering more than a speck, is content. The measure errs towards keeping a
// page: a short line, a signature, light pencil are content. Platform-free.
#pragma once

#include <cstddef>

#include "app/output/imaging/GreyCells.h"

struct BlankMeasure {
  int paper = 255;         // the paper's level
  size_t largestMark = 0;  // cells in the largest mark
  bool blank = false;
};

// `cells`: the page at about 100 dpi (cells of a third of a millimetre or less at 300 dpi).
BlankMeasure MeasureBlank(const CGreyCells& cells);

// The cell side that gives about 100 dpi at `dpi`.
unsigned BlankCellSide(int dpi);
