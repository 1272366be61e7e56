// The clean-up of a scanned page file before it is compressed: the document found on the glass
// straightened and cut to the sheet, a text page's skew taken out, and the measure of whether
// a page is blank. Each reads the bitmap file band by band (two passes: measure, then turn) and
// writes the new page as a bitmap file beside it, so that no more than a band of the page is in
// memory. The new page keeps the scan's kind: line art stays one bit, grey eight bits of grey,
// anything else 24-bit colour. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/output/imaging/BlankPage.h"
#include "app/output/imaging/DocumentEdges.h"
#include "app/output/imaging/TextSkew.h"

enum class CleanupOutcome {
  kUnchanged,  // nothing to do: `out` was not written
  kWritten,    // the new page is in `out`
  kFailed,     // unreadable, unsupported or no memory; `out` is not left behind
};

struct CleanupFigures {
  TurnedBox box;       // the document found (straightening) or the page (deskew)
  SkewMeasure skew;    // deskew only
  uint32_t width = 0;  // the new page
  uint32_t height = 0;
  size_t heldBytes = 0;  // the rotation's band and row
};

// The document on the scan `in` (some glass around it) turned upright and cut inside its edges.
CleanupOutcome StraightenScan(const std::string& in, const std::string& out, CleanupFigures& figures);
// The skew of `in`'s text lines taken out when measured with confidence; the page keeps its size.
CleanupOutcome DeskewScan(const std::string& in, const std::string& out, CleanupFigures& figures);
// Whether `in` is blank; false when it cannot be read.
bool MeasureBlankScan(const std::string& in, BlankMeasure& measure);

// Pixels cut inside the edges found, at `dpi` (so that no glass is left at the page's edges).
uint32_t EdgeInset(int dpi);
