// CRectObj: one area found by automatic document detection, in prescan pixels.
#pragma once

#include <cstdint>

// x counts from the left, y from the top of the image; y1 is the top edge of the area's first
// stored row and y2 of its last, so y1 >= y2 (the prescan is stored bottom-up).
struct CRectObj {
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
};
