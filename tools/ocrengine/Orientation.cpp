// The orientation detection's report.
#include "tools/ocrengine/Orientation.h"

#include <cstdlib>

namespace {
// The number after `key` on its line; false without one.
bool NumberAfter(const std::string& report, const char* key, double& value) {
  const size_t at = report.find(key);
  if (at == std::string::npos) return false;
  const char* start = report.c_str() + at + std::string(key).size();
  char* end = nullptr;
  value = std::strtod(start, &end);
  return end != start;
}
}  // namespace

bool ParseOrientation(const std::string& report, PageOrientation& out) {
  double rotate = 0, confidence = 0;
  if (!NumberAfter(report, "Rotate:", rotate) || !NumberAfter(report, "Orientation confidence:", confidence))
    return false;
  const int degrees = static_cast<int>(rotate);
  if (degrees != rotate || degrees < 0 || degrees > 270 || degrees % 90 != 0) return false;
  out.rotate = degrees;
  out.confidence = confidence;
  return true;
}
