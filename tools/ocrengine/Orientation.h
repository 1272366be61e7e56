// The page's orientation as the recognition program's orientation detection reports it (its
// "--psm 0" output), and whether the page is to be read turned. Platform-free.
#pragma once

#include <string>

struct PageOrientation {
  int rotate = 0;         // degrees clockwise that make the page upright: 0, 90, 180 or 270
  double confidence = 0;  // the detection's own confidence in that orientation
};

// Reads "Rotate: 180" and "Orientation confidence: 7.41" from the detection's report; false
// when either is missing or the angle is not a right angle.
bool ParseOrientation(const std::string& report, PageOrientation& out);

// Below this the detection is not trusted and the page is read as it came (measured on the
// virtual scanner's pages in four orientations and on blank and photo pages: notes/straight.md).
const double kLeastOrientationConfidence = 2.0;

// The page is read turned: not upright, and the detection is confident.
inline bool ReadTurned(const PageOrientation& orientation) {
  return orientation.rotate != 0 && orientation.confidence >= kLeastOrientationConfidence;
}
