// The blank-page measure.
#include "app/output/imaging/BlankPage.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const int kMarkDepth = 22;         // darker than the paper by this much is a mark
const size_t kLeastMark = 5;       // cells joined in a mark that is content, not a speck
const uint32_t kMarginShare = 33;  // a margin of 1/33 on each side (edges, shadows of the feeder)

int MedianLevel(const CGreyCells& cells) {
  uint32_t counts[256] = {};
  const size_t n = static_cast<size_t>(cells.Across()) * cells.Down();
  for (size_t i = 0; i < n; ++i) ++counts[cells.Cells()[i]];
  size_t seen = 0;
  for (int level = 0; level < 256; ++level) {
    seen += counts[level];
    if (seen * 2 >= n) return level;
  }
  return 255;
}

}  // namespace

unsigned BlankCellSide(int dpi) { return dpi >= 200 ? static_cast<unsigned>(dpi / 100) : 1u; }

BlankMeasure MeasureBlank(const CGreyCells& cells) {
  BlankMeasure measure;
  const uint32_t across = cells.Across(), down = cells.Down();
  if (across == 0 || down == 0) return measure;
  measure.paper = MedianLevel(cells);
  const int mark = measure.paper - kMarkDepth;
  const uint32_t mx = across / kMarginShare, my = down / kMarginShare;
  const uint32_t w = across - 2 * mx, h = down - 2 * my;
  std::vector<uint8_t> marked(static_cast<size_t>(w) * h);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) marked[static_cast<size_t>(y) * w + x] = cells.At(x + mx, y + my) < mark;
  // The marks: cells joined side or corner, each counted once.
  std::vector<uint32_t> stack;
  for (size_t start = 0; start < marked.size(); ++start) {
    if (marked[start] != 1) continue;
    marked[start] = 2;
    stack.assign(1, static_cast<uint32_t>(start));
    size_t size = 0;
    while (!stack.empty()) {
      const uint32_t at = stack.back();
      stack.pop_back();
      ++size;
      const int64_t x = at % w, y = at / w;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int64_t nx = x + dx, ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
          const size_t next = static_cast<size_t>(ny) * w + static_cast<size_t>(nx);
          if (marked[next] == 1) marked[next] = 2, stack.push_back(static_cast<uint32_t>(next));
        }
    }
    measure.largestMark = std::max(measure.largestMark, size);
  }
  measure.blank = measure.largestMark < kLeastMark;
  return measure;
}
