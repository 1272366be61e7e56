// Scale arithmetic of the display, platform-free: lengths and rectangles at a window's dots
// per inch, and which of the art sets (1x, 1.5x, 2x) a scale draws from.
#pragma once

#include <string>

namespace DisplayScale {

// The dots per inch of 100 %: the art's 1x set and every length the panel is laid out in.
const int kBaseDpi = 96;

// `length` (in 1x pixels) at `dpi`: length × dpi / 96, rounded to the nearest pixel with
// halves away from zero, as MulDiv rounds (the art generator rounds the same way).
int Scaled(int length, int dpi);

struct Rect {
  int left, top, right, bottom;
};

// The 1x rectangle at (x, y) of width × height, at `dpi`: position and size scaled each, so
// that rectangles of the same size stay of one size wherever they stand.
Rect ScaledRect(int x, int y, int width, int height, int dpi);

// The art set for `dpi`, in percent (100, 150 or 200): the smallest set at least as large as
// the scale, so that a scale between two sets is drawn from the larger one scaled down; above
// 200 % the 2x set, scaled up.
int ArtPercent(int dpi);

// The resource name of bitmap `name` (NAME, or "#n" for a numbered one) in set `percent`:
// the name itself at 100, "NAME_150" and "NAME_200" (a numbered bitmap: "BMPn_150"...).
std::string ArtName(const std::string& name, int percent);

}  // namespace DisplayScale
