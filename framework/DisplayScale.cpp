// DisplayScale.
#include "framework/DisplayScale.h"

#include <cstdint>

namespace DisplayScale {

int Scaled(int length, int dpi) {
  const int64_t product = static_cast<int64_t>(length) * dpi;
  const int64_t half = kBaseDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi));
}

Rect ScaledRect(int x, int y, int width, int height, int dpi) {
  const int left = Scaled(x, dpi);
  const int top = Scaled(y, dpi);
  return Rect{left, top, left + Scaled(width, dpi), top + Scaled(height, dpi)};
}

int ArtPercent(int dpi) {
  if (dpi <= kBaseDpi) return 100;
  if (dpi <= kBaseDpi * 3 / 2) return 150;
  return 200;
}

std::string ArtName(const std::string& name, int percent) {
  if (percent == 100) return name;
  const std::string base = !name.empty() && name[0] == '#' ? "BMP" + name.substr(1) : name;
  return base + "_" + std::to_string(percent);
}

}  // namespace DisplayScale
