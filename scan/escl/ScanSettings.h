// An acquisition request turned into the settings of one network scan job: the input source,
// the region in 1/300 inch within the scanner's area, the resolution, colour mode and page
// format the scanner offers, and the ScanSettings document that carries them. Platform-free.
#pragma once

#include <string>

#include "scan/AcquireRecords.h"
#include "scan/escl/Capabilities.h"

enum class PageFormat { kJpeg, kPng };

struct NetworkScanPlan {
  bool feeder = false;
  int xOffset = 0, yOffset = 0, width = 0, height = 0;  // 1/300 inch
  int resolution = 0;                                   // asked of the scanner, dots per inch, both axes
  int pageResolution = 0;       // of the page file: the request's, unless the scanner has none so fine
  unsigned mode = kModeColour;  // one ColourModeBits value, as asked of the scanner
  uint16_t pagePixelType = 2;   // the page file's: 0, 1 or 2
  PageFormat format = PageFormat::kJpeg;
  bool levels = false;  // brightness and contrast are sent
  int brightness = 0, contrast = 0;
  std::string version = "2.0";
};

enum class PlanError {
  kNone,
  kNoSource,  // neither glass nor feeder can scan
  kNoFormat,  // no page format this library reads (JPEG, PNG)
  kNoMode,    // no colour mode
};

// Lengths of the frame unit `units` (TWAIN's unit codes) in 1/300 inch; pixels count at
// `resolution`. Rounded to the nearest, negative and non-finite values give 0.
int ToThreeHundredths(float value, uint16_t units, int resolution);

// The plan for `request`; `feederLoaded` when the scanner reports paper in its feeder. With
// the feeder the request's sizeCode becomes 1 (A4), as a TWAIN feeder does.
PlanError PlanScan(AcquireRequest& request, const ScannerCaps& caps, bool feederLoaded,
                   NetworkScanPlan* plan);

// The ScanSettings document of the plan.
std::string ScanSettingsXml(const NetworkScanPlan& plan);
