// CRectObj: one area found by automatic document detection, in prescan pixels: x from the
// left, y from the top of the prescan (y1 the top edge, y2 the bottom edge of the area).
#pragma once

#include <cstdint>

struct CRectObj {
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
};
