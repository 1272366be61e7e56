// Fuzz target: the automatic document detection on a raw prescan: a 16-bit width and height,
// the program's pass counter as a detection leaves it, a zoom, and the rest as the 24-bit rows
// (any length). The zoom repeats each pixel into a square of 1, 2, 4 or 8 pixels, so that a
// small input still makes pages of the 42 pixels an area needs. Properties: a buffer shorter
// than its rows is refused, no read outside it, and every area found lies on the prescan, at
// least 42 pixels each way, appended after the areas already in the list, and the same areas
// in the same order as a plain cell-by-cell rendering of the detection finds.
#include <memory>
#include <vector>

#include "app/AutoDetect.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
// The rows of a `width` x `height` prescan with each pixel of `small` (rows of width / zoom
// pixels, padded as a bitmap's) repeated zoom x zoom times; empty when `small` is too short.
std::vector<uint8_t> Zoomed(const std::string& small, uint16_t width, uint16_t height, int zoom) {
  const size_t smallWidth = width / zoom, smallHeight = height / zoom;
  const size_t smallRow = (smallWidth * 24 + 31) / 32 * 4;
  if (smallWidth * zoom != width || smallHeight * zoom != height || smallRow * smallHeight > small.size())
    return {};
  const size_t row = DetectRowBytes(width);
  std::vector<uint8_t> rows(row * height);
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        rows[y * row + 3 * x + c] = static_cast<uint8_t>(small[(y / zoom) * smallRow + 3 * (x / zoom) + c]);
  return rows;
}
// The detection as plainly as it can be written, cell by cell (an int per cell, cleaning
// column by column): the fast one must find the same areas in the same order.
class CReferenceDetection {
 public:
  CReferenceDetection(const uint8_t* bits, int width, int height, int& passCounter)
      : m_width(width),
        m_height(height),
        m_counter(passCounter),
        m_mask(static_cast<size_t>(width) * height) {
    const size_t row = DetectRowBytes(static_cast<uint16_t>(width));
    for (int r = 0; r < height; ++r)
      for (int c = 0; c < width; ++c) {
        const uint8_t* p = bits + r * row + 3 * c;
        Cell(r, c) = p[0] >= 60 || p[1] >= 60 || p[2] >= 60;
      }
    for (int r = 0; r < height; ++r) ClearRuns(width, [&](int i) -> int& { return Cell(r, i); });
    for (int c = 0; c < width; ++c) ClearRuns(height, [&](int i) -> int& { return Cell(i, c); });
    RowPass(0, width - 1, 0, height - 1);
  }
  std::vector<CRectObj> areas;

 private:
  int& Cell(int r, int c) { return m_mask[static_cast<size_t>(r) * m_width + c]; }
  template <typename At>
  static void ClearRuns(int n, At at) {
    for (int i = 0; i < n;) {
      if (!at(i)) {
        ++i;
        continue;
      }
      int end = i;
      while (end < n && at(end)) ++end;
      if (end - i <= 3)
        for (int k = i; k < end; ++k) at(k) = 0;
      i = end;
    }
  }
  template <typename Count, typename Visit>
  static void Bands(int first, int last, Count count, Visit visit) {
    for (int i = first; i <= last;) {
      if (count(i) < 3) {
        ++i;
        continue;
      }
      int end = i;
      while (end + 1 <= last && count(end + 1) >= 3) ++end;
      visit(i, end);
      i = end + 1;
    }
  }
  void RowPass(int c0, int c1, int r0, int r1) {
    std::vector<int> counts(r1 - r0 + 1);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c) counts[r - r0] += Cell(r, c);
    Bands(
        r0, r1, [&](int r) { return counts[r - r0]; },
        [&](int s, int e) {
          if (e - s > 40) ColumnPass(c0, c1, s, e);
          m_counter = 0;
        });
  }
  void ColumnPass(int c0, int c1, int r0, int r1) {
    ++m_counter;
    std::vector<int> counts(c1 - c0 + 1);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c) counts[c - c0] += Cell(r, c);
    Bands(
        c0, c1, [&](int c) { return counts[c - c0]; },
        [&](int s, int e) {
          if (e - s <= 40) return;
          if (m_counter < 2)
            RowPass(s, e, r0, r1);
          else
            areas.push_back(CRectObj{s, m_height - r0 - 1, e, m_height - r1 - 1});
        });
  }
  int m_width, m_height;
  int& m_counter;
  std::vector<int> m_mask;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  const uint16_t width = in.U16();
  const uint16_t height = in.U16();
  int passCounter = static_cast<int>(in.Range(0, 2));
  const int zoom = 1 << in.Range(0, 3);
  const std::string rest = in.Rest();
  std::vector<uint8_t> zoomed = zoom > 1 ? Zoomed(rest, width, height, zoom) : std::vector<uint8_t>();
  const std::string& bytes = zoomed.empty() ? rest : std::string(zoomed.begin(), zoomed.end());
  // Exactly the buffer's length on the heap, so that any read past it is caught.
  std::unique_ptr<uint8_t[]> bits(new uint8_t[bytes.size() ? bytes.size() : 1]);
  std::copy(bytes.begin(), bytes.end(), bits.get());

  const int counterBefore = passCounter;
  std::vector<std::unique_ptr<CRectObj>> areas;
  areas.push_back(std::make_unique<CRectObj>());  // one from an earlier run
  const DetectOutcome outcome = DetectDocumentAreas(bytes.empty() ? nullptr : bits.get(), bytes.size(), width,
                                                    height, passCounter, areas);
  const bool fits = static_cast<uint64_t>(DetectRowBytes(width)) * height <= bytes.size();
  FUZZ_CHECK((outcome == DetectOutcome::kBadImage) == !fits);
  FUZZ_CHECK(areas.front() && areas.front()->x1 == 0 && areas.front()->x2 == 0);
  if (outcome != DetectOutcome::kDone) {
    FUZZ_CHECK(areas.size() == 1);
    return 0;
  }
  for (size_t i = 1; i < areas.size(); ++i) {
    const CRectObj& a = *areas[i];
    FUZZ_CHECK(a.x1 >= 0 && a.x1 + 41 <= a.x2 && a.x2 < width);
    FUZZ_CHECK(a.y2 >= 0 && a.y2 + 41 <= a.y1 && a.y1 < height);
  }
  if (width == 0 || height == 0) return 0;
  int referenceCounter = counterBefore;
  const CReferenceDetection reference(bits.get(), width, height, referenceCounter);
  FUZZ_CHECK(reference.areas.size() + 1 == areas.size() && referenceCounter == passCounter);
  for (size_t i = 0; i < reference.areas.size(); ++i) {
    const CRectObj &a = reference.areas[i], &b = *areas[i + 1];
    FUZZ_CHECK(a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2);
  }
  return 0;
}
