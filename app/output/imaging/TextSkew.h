// The skew of a page's text lines, by projection profiles of its dark cells over angles of up
// to 10 degrees either way: the angle at which the profile is sharpest. Pages with too little
// ink, too much of it (photographs) or no clear lines give no confident measure and are left
// as they are. Platform-free.
#pragma once

#include "app/output/imaging/GreyCells.h"

struct SkewMeasure {
  double degrees = 0;      // the lines' angle, positive turned clockwise as the page is seen
  double sharpness = 0;    // the best profile's against the mean over the angles tried
  bool confident = false;  // straighten only then
};

// `cells`: the page at about 100 to 150 dpi.
SkewMeasure MeasureTextSkew(const CGreyCells& cells);

// The largest skew measured either way, in degrees.
const double kLargestSkew = 10.0;
