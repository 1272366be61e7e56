// The acquisition request of a scan job, built from a destination's stored settings: the
// fixed-size request, the low-resolution colour prescan of an automatic-size job, and the
// second pass over the document found on that prescan. Platform-free.
#pragma once

#include <cstdint>

#include "app/RectObj.h"
#include "framework/String.h"
#include "scan/AcquireRecords.h"

class CResolutionTable;

// What a destination's settings section holds for a request (profile defaults applied).
struct DestinationSettings {
  int scanMode = 0;
  int documentSize = 0;
  int resolution = 0;
  int brightness = 2;
  int contrast = 2;
};

// The prescan of the scanner description file: dots per inch and the glass in prescan pixels.
struct PrescanGeometry {
  int dpi = 36;
  int width = 306;
  int height = 396;
};

struct ScanRequestInput {
  uint16_t destinationId = 0;
  DestinationSettings settings;
  // The size entry ("SupportSize") of the paper chosen by `documentSize`, as stored.
  CString paperSize;
  // The size entry of the first paper of the list (the second pass's fallback).
  CString firstPaperSize;
  // The destination's resolution table; null when its page has none.
  const CResolutionTable* resolutions = nullptr;
  PrescanGeometry prescan;
};

// Brightness and contrast in 1/128 steps: -128, -64, 0, 64, 128 for the indexes 0 to 4. An index
// outside the table counts as 2 (no change).
int LevelStep(int index);
// The paper list index to use: `documentSize` when it names a paper, else 0.
int PaperIndex(int documentSize, int paperCount);
// Parses a paper size entry ("850 1100": hundredths of an inch, width then height). False
// unless it starts with two integers separated by white space.
bool ParsePaperSize(const CString& entry, int& width, int& height);

// The first (or only) acquisition of a job. `autoSize` tells whether it is the prescan of an
// automatic-size job (no parsable paper size). Whatever the files hold, frame edges lie within
// 0..32767 inches and the resolution within 1..32767 (what TWAIN's values carry): a resolution
// outside it takes the default (100, or 36 for the prescan).
AcquireRequest BuildScanRequest(const ScanRequestInput& input, bool& autoSize);
// The acquisition after a prescan: the frame of `area` (prescan pixels), or of the first paper
// when no area was found. Clears `autoSize`.
AcquireRequest BuildSecondPass(const ScanRequestInput& input, const CRectObj* area, bool& autoSize);

// `area` widened by `cells` prescan pixels on each side, within the glass: the frame of a
// document to be straightened, so that the scan holds glass beyond each of its edges.
CRectObj AreaWithGlass(const CRectObj& area, const PrescanGeometry& prescan, int cells);
