// Reading order of the areas found on the glass.
#include "app/output/imaging/ReadingOrder.h"

#include <algorithm>

void SortInReadingOrder(std::vector<CRectObj>& areas) {
  // y counts from the top of the glass; y2 is an area's top row.
  std::stable_sort(areas.begin(), areas.end(),
                   [](const CRectObj& a, const CRectObj& b) { return a.y2 < b.y2; });
  size_t rowStart = 0;
  while (rowStart < areas.size()) {
    const CRectObj& first = areas[rowStart];
    const int32_t middle = (first.y1 + first.y2) / 2;
    size_t rowEnd = rowStart + 1;
    while (rowEnd < areas.size() && areas[rowEnd].y2 < middle) ++rowEnd;
    std::stable_sort(areas.begin() + static_cast<std::ptrdiff_t>(rowStart),
                     areas.begin() + static_cast<std::ptrdiff_t>(rowEnd),
                     [](const CRectObj& a, const CRectObj& b) { return a.x1 < b.x1; });
    rowStart = rowEnd;
  }
}
