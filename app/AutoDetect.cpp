// Automatic document detection on a 24-bit prescan.
#include "app/AutoDetect.h"

#include <cstring>
#include <new>

namespace {

const uint8_t kDocumentLevel = 60;  // a channel at or above this is paper, not the dark lid
const int kLongestSpeck = 3;        // runs up to this long are specks or thin lines
const int kBandCount = 3;           // a row or column with this many document cells is in a band
const int kShortestBand = 41;       // a band spans more than this many steps (42 cells)

// Calls visit(s, e) for each band of counts[0 .. last - first], indexed from `first`: a run
// of entries of kBandCount or more. Stops early when visit returns false.
template <typename Visit>
bool ForEachBand(const int* counts, int first, int last, Visit visit) {
  int i = first;
  while (i <= last) {
    while (i <= last && counts[i - first] < kBandCount) ++i;
    if (i > last) break;
    const int start = i;
    while (i <= last && counts[i - first] >= kBandCount) ++i;
    if (!visit(start, i - 1)) return false;
  }
  return true;
}

// Sets to 0 every run of 1 to kLongestSpeck set cells among the n `cells`.
void ClearShortRuns(uint8_t* cells, int n) {
  int i = 0;
  while (i < n) {
    if (!cells[i]) {
      ++i;
      continue;
    }
    const int start = i;
    while (i < n && cells[i]) ++i;
    if (i - start <= kLongestSpeck) std::memset(cells + start, 0, static_cast<size_t>(i - start));
  }
}

class Detector {
 public:
  Detector(uint8_t* mask, int width, int height, int& passCounter,
           std::vector<std::unique_ptr<CRectObj>>& areas)
      : m_mask(mask), m_width(width), m_height(height), m_passCounter(passCounter), m_areas(areas) {}

  // False on a memory shortage.
  bool RowPass(int c0, int c1, int r0, int r1) {
    std::unique_ptr<int[]> counts(new (std::nothrow) int[r1 - r0 + 1]);
    if (!counts) return false;
    for (int r = r0; r <= r1; ++r) {
      const uint8_t* row = Row(r);
      int count = 0;
      for (int c = c0; c <= c1; ++c) count += row[c];
      counts[r - r0] = count;
    }
    return ForEachBand(counts.get(), r0, r1, [&](int s, int e) {
      if (e - s >= kShortestBand && !ColumnPass(c0, c1, s, e)) return false;
      m_passCounter = 0;
      return true;
    });
  }

 private:
  bool ColumnPass(int c0, int c1, int r0, int r1) {
    ++m_passCounter;
    std::unique_ptr<int[]> counts(new (std::nothrow) int[c1 - c0 + 1]());
    if (!counts) return false;
    for (int r = r0; r <= r1; ++r) {
      const uint8_t* row = Row(r);
      for (int c = c0; c <= c1; ++c) counts[c - c0] += row[c];
    }
    return ForEachBand(counts.get(), c0, c1, [&](int s, int e) {
      if (e - s < kShortestBand) return true;
      if (m_passCounter < 2) return RowPass(s, e, r0, r1);
      return Append(s, e, r0, r1);
    });
  }

  bool Append(int s, int e, int r0, int r1) {
    std::unique_ptr<CRectObj> area(new (std::nothrow) CRectObj);
    if (!area) return false;
    area->x1 = s;
    area->y1 = m_height - r0 - 1;
    area->x2 = e;
    area->y2 = m_height - r1 - 1;
    m_areas.push_back(std::move(area));
    return true;
  }

  const uint8_t* Row(int r) const { return m_mask + static_cast<size_t>(r) * static_cast<size_t>(m_width); }

  const uint8_t* m_mask;
  int m_width;
  int m_height;
  int& m_passCounter;
  std::vector<std::unique_ptr<CRectObj>>& m_areas;
};

// 1 where a channel reaches kDocumentLevel, row r of the mask being stored row r.
void BuildMask(const uint8_t* bits, size_t rowBytes, int width, int height, uint8_t* mask) {
  for (int r = 0; r < height; ++r) {
    const uint8_t* pixel = bits + static_cast<size_t>(r) * rowBytes;
    uint8_t* cell = mask + static_cast<size_t>(r) * static_cast<size_t>(width);
    for (int c = 0; c < width; ++c, pixel += 3)
      cell[c] =
          (pixel[0] >= kDocumentLevel || pixel[1] >= kDocumentLevel || pixel[2] >= kDocumentLevel) ? 1 : 0;
  }
}

// Vertical cleaning row by row, keeping each column's current run length (capped above the
// speck length), so that the mask is read in storage order.
bool ClearShortColumnRuns(uint8_t* mask, int width, int height) {
  std::unique_ptr<uint8_t[]> runs(new (std::nothrow) uint8_t[static_cast<size_t>(width)]());
  if (!runs) return false;
  auto clear = [&](int c, int endRow) {
    for (int r = endRow - runs[c]; r < endRow; ++r) mask[static_cast<size_t>(r) * width + c] = 0;
  };
  for (int r = 0; r < height; ++r) {
    const uint8_t* row = mask + static_cast<size_t>(r) * width;
    for (int c = 0; c < width; ++c) {
      if (row[c]) {
        if (runs[c] <= kLongestSpeck) ++runs[c];
      } else {
        if (runs[c] > 0 && runs[c] <= kLongestSpeck) clear(c, r);
        runs[c] = 0;
      }
    }
  }
  for (int c = 0; c < width; ++c)
    if (runs[c] > 0 && runs[c] <= kLongestSpeck) clear(c, height);
  return true;
}

}  // namespace

size_t DetectRowBytes(uint16_t width) { return (static_cast<size_t>(width) * 24 + 31) / 32 * 4; }

DetectOutcome DetectDocumentAreas(const uint8_t* bits, size_t size, uint16_t width, uint16_t height,
                                  int& passCounter, std::vector<std::unique_ptr<CRectObj>>& areas) {
  const size_t rowBytes = DetectRowBytes(width);
  if (static_cast<uint64_t>(rowBytes) * height > size || (!bits && height > 0 && width > 0))
    return DetectOutcome::kBadImage;
  if (width == 0 || height == 0) return DetectOutcome::kDone;

  const uint64_t cells = static_cast<uint64_t>(width) * height;
  if (cells > SIZE_MAX) return DetectOutcome::kNoMemory;
  std::unique_ptr<uint8_t[]> mask(new (std::nothrow) uint8_t[static_cast<size_t>(cells)]);
  if (!mask) return DetectOutcome::kNoMemory;

  BuildMask(bits, rowBytes, width, height, mask.get());
  for (int r = 0; r < height; ++r) ClearShortRuns(mask.get() + static_cast<size_t>(r) * width, width);
  if (!ClearShortColumnRuns(mask.get(), width, height)) return DetectOutcome::kNoMemory;

  const size_t before = areas.size();
  Detector detector(mask.get(), width, height, passCounter, areas);
  if (!detector.RowPass(0, width - 1, 0, height - 1)) {
    areas.resize(before);
    return DetectOutcome::kNoMemory;
  }
  return DetectOutcome::kDone;
}
