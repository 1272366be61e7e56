// CRectObj: one area found by automatic document detection, in prescan pixels.
#pragma once

struct CRectObj {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
