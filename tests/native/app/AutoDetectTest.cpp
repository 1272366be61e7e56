// Automatic document detection on synthetic prescans.
#include "app/AutoDetect.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

namespace {

// Fails the nothrow allocation numbered g_failAt (counting from 1) when g_failAt > 0.
int g_failAt = 0;
int g_nothrowCount = 0;

bool AllocationFails() { return g_failAt > 0 && ++g_nothrowCount == g_failAt; }

}  // namespace

// The memory comes from the ordinary forms, so that delete and delete[] (and the sanitizer's
// pairing of them) stay as they are.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (AllocationFails()) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (AllocationFails()) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}

namespace {

struct Rgb {
  uint8_t r, g, b;
};
const Rgb kLid{28, 30, 34};
const Rgb kPaper{246, 244, 238};

// A 24-bit bottom-up prescan: rows in storage order, padded to four bytes.
class Prescan {
 public:
  Prescan(int width, int height, Rgb background = kLid, uint8_t padding = 0)
      : width(width),
        height(height),
        rowBytes(DetectRowBytes(static_cast<uint16_t>(width))),
        bits(rowBytes * height, padding) {
    Fill(0, 0, width, height, background);
  }
  // Fills columns [c, c + w) of storage rows [r, r + h).
  void Fill(int c, int r, int w, int h, Rgb colour) {
    for (int y = r; y < r + h; ++y)
      for (int x = c; x < c + w; ++x) {
        uint8_t* p = &bits[y * rowBytes + x * 3];
        p[0] = colour.b;
        p[1] = colour.g;
        p[2] = colour.r;
      }
  }
  // cols x rows squares of `side` pixels from (c, r), alternately paper and lid.
  void Checkerboard(int c, int r, int cols, int rows, int side) {
    for (int j = 0; j < rows; ++j)
      for (int i = 0; i < cols; ++i)
        if ((i + j) % 2 == 0) Fill(c + i * side, r + j * side, side, side, kPaper);
  }
  // Outline of a w x h box with lines `thickness` pixels thick.
  void Frame(int c, int r, int w, int h, int thickness) {
    Fill(c, r, w, thickness, kPaper);
    Fill(c, r + h - thickness, w, thickness, kPaper);
    Fill(c, r, thickness, h, kPaper);
    Fill(c + w - thickness, r, thickness, h, kPaper);
  }
  DetectOutcome Detect(std::vector<std::unique_ptr<CRectObj>>& areas, int& counter) const {
    return DetectDocumentAreas(bits.data(), bits.size(), static_cast<uint16_t>(width),
                               static_cast<uint16_t>(height), counter, areas);
  }
  std::vector<CRectObj> Areas(int counter = 0) const {
    std::vector<std::unique_ptr<CRectObj>> areas;
    EXPECT_EQ(Detect(areas, counter), DetectOutcome::kDone);
    std::vector<CRectObj> out;
    for (const auto& a : areas) out.push_back(*a);
    return out;
  }

  int width, height;
  size_t rowBytes;
  std::vector<uint8_t> bits;
};

// The area of a document filling columns [c, c + w) of storage rows [r, r + h).
CRectObj AreaOf(const Prescan& p, int c, int r, int w, int h) {
  return CRectObj{c, p.height - r - 1, c + w - 1, p.height - (r + h - 1) - 1};
}

::testing::AssertionResult Same(const CRectObj& a, const CRectObj& b) {
  if (a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << a.x1 << "," << a.y1 << ")-(" << a.x2 << "," << a.y2 << ") vs (" << b.x1 << "," << b.y1
         << ")-(" << b.x2 << "," << b.y2 << ")";
}

TEST(AutoDetect, PageOnTheDefaultPrescanGivesItsArea) {
  Prescan p(306, 396);
  p.Fill(50, 40, 200, 300, kPaper);
  const auto areas = p.Areas();
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_TRUE(Same(areas[0], CRectObj{50, 355, 249, 56}));
  EXPECT_GE(areas[0].y1, areas[0].y2);
}

TEST(AutoDetect, DarkGlassGivesNothingAndOneBrightChannelIsPaper) {
  EXPECT_TRUE(Prescan(306, 396).Areas().empty());
  EXPECT_TRUE(Prescan(306, 396, Rgb{59, 59, 59}).Areas().empty());
  // One channel at the level is enough, whichever it is.
  for (Rgb colour : {Rgb{60, 0, 0}, Rgb{0, 60, 0}, Rgb{0, 0, 60}}) {
    Prescan p(306, 396);
    p.Fill(10, 10, 100, 100, colour);
    const auto areas = p.Areas();
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_TRUE(Same(areas[0], AreaOf(p, 10, 10, 100, 100)));
  }
}

TEST(AutoDetect, SpecksAndThinLinesVanishFourPixelsSurvive) {
  // Checkerboards: every row and column of squares would make a band if the squares stayed.
  Prescan specks(306, 396);
  specks.Checkerboard(20, 20, 86, 100, 3);
  EXPECT_TRUE(specks.Areas().empty());

  Prescan squares(306, 396);
  squares.Checkerboard(20, 20, 65, 75, 4);
  auto areas = squares.Areas();
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_TRUE(Same(areas[0], AreaOf(squares, 20, 20, 260, 300)));

  // Frames of 3-pixel lines: every run across a line is too short, and then the runs along it
  // lose their crossings. Lines the full width or height go as well.
  Prescan thin(306, 396);
  thin.Frame(30, 30, 200, 300, 3);
  thin.Fill(250, 0, 3, 396, kPaper);
  thin.Fill(0, 360, 306, 2, kPaper);
  thin.Fill(0, 380, 306, 1, kPaper);
  EXPECT_TRUE(thin.Areas().empty());

  Prescan thick(306, 396);
  thick.Frame(30, 30, 200, 300, 4);
  areas = thick.Areas();
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_TRUE(Same(areas[0], AreaOf(thick, 30, 30, 200, 300)));
}

TEST(AutoDetect, DocumentsSideBySideGiveTwoAreasLeftFirst) {
  Prescan p(306, 396);
  p.Fill(160, 60, 120, 250, kPaper);
  p.Fill(20, 40, 100, 300, kPaper);
  const auto areas = p.Areas();
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_TRUE(Same(areas[0], AreaOf(p, 20, 40, 100, 300)));
  EXPECT_TRUE(Same(areas[1], AreaOf(p, 160, 60, 120, 250)));
}

TEST(AutoDetect, BandsNeedFortyTwoRowsAndColumns) {
  Prescan rows41(306, 396), rows42(306, 396), cols41(306, 396), cols42(306, 396);
  rows41.Fill(50, 100, 200, 41, kPaper);
  rows42.Fill(50, 100, 200, 42, kPaper);
  cols41.Fill(50, 100, 41, 200, kPaper);
  cols42.Fill(50, 100, 42, 200, kPaper);
  EXPECT_TRUE(rows41.Areas().empty());
  EXPECT_TRUE(cols41.Areas().empty());
  ASSERT_EQ(rows42.Areas().size(), 1u);
  EXPECT_TRUE(Same(rows42.Areas()[0], AreaOf(rows42, 50, 100, 200, 42)));
  ASSERT_EQ(cols42.Areas().size(), 1u);
  EXPECT_TRUE(Same(cols42.Areas()[0], AreaOf(cols42, 50, 100, 42, 200)));
}

TEST(AutoDetect, RowsAreReadAtTheirPaddedLength) {
  // Widths of every padding; bright padding bytes must not be taken for pixels.
  for (int width : {301, 302, 303, 304}) {
    Prescan p(width, 300, kLid, 0xFF);
    p.Fill(width - 120, 10, 120, 250, kPaper);
    const auto areas = p.Areas();
    ASSERT_EQ(areas.size(), 1u) << width;
    EXPECT_TRUE(Same(areas[0], AreaOf(p, width - 120, 10, 120, 250))) << width;
  }
}

TEST(AutoDetect, SizesBeyondSignedSixteenBits) {
  Prescan p(64, 40000);
  p.Fill(10, 35000, 50, 100, kPaper);
  const auto areas = p.Areas();
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_TRUE(Same(areas[0], CRectObj{10, 4999, 59, 4900}));

  Prescan wide(40000, 60);
  wide.Fill(39000, 5, 900, 50, kPaper);
  ASSERT_EQ(wide.Areas().size(), 1u);
  EXPECT_TRUE(Same(wide.Areas()[0], AreaOf(wide, 39000, 5, 900, 50)));
}

TEST(AutoDetect, PassCounterIsSharedAcrossLevelsAndCalls) {
  // A tall page on the left, two short ones stacked on the right: the nested row pass under
  // the right column band splits them, because the left band's row pass reset the counter.
  Prescan p(306, 396);
  p.Fill(20, 50, 100, 251, kPaper);
  p.Fill(160, 100, 120, 101, kPaper);
  p.Fill(160, 250, 120, 101, kPaper);
  int counter = 0;
  std::vector<std::unique_ptr<CRectObj>> areas;
  ASSERT_EQ(p.Detect(areas, counter), DetectOutcome::kDone);
  ASSERT_EQ(areas.size(), 3u);
  EXPECT_TRUE(Same(*areas[0], AreaOf(p, 20, 50, 100, 251)));
  EXPECT_TRUE(Same(*areas[1], AreaOf(p, 160, 100, 120, 101)));
  EXPECT_TRUE(Same(*areas[2], AreaOf(p, 160, 250, 120, 101)));
  EXPECT_EQ(counter, 0);

  // Left at 1, the first column pass emits at once: whole-band areas, nothing split.
  const auto coarse = p.Areas(1);
  ASSERT_EQ(coarse.size(), 2u);
  EXPECT_TRUE(Same(coarse[0], AreaOf(p, 20, 50, 100, 301)));
  EXPECT_TRUE(Same(coarse[1], AreaOf(p, 160, 50, 120, 301)));

  // Nothing bright: no band, so the counter keeps its value.
  counter = 7;
  areas.clear();
  EXPECT_EQ(Prescan(306, 396).Detect(areas, counter), DetectOutcome::kDone);
  EXPECT_EQ(counter, 7);
}

TEST(AutoDetect, EveryShortageIsReportedAndLeavesTheListAsItWas) {
  Prescan p(306, 396);
  p.Fill(20, 40, 100, 300, kPaper);
  p.Fill(160, 60, 120, 250, kPaper);
  int failures = 0;
  for (int failAt = 1;; ++failAt) {
    std::vector<std::unique_ptr<CRectObj>> areas;
    areas.emplace_back(new CRectObj{1, 2, 3, 4});
    int counter = 0;
    g_nothrowCount = 0;
    g_failAt = failAt;
    const DetectOutcome outcome = p.Detect(areas, counter);
    g_failAt = 0;
    if (outcome == DetectOutcome::kDone) {
      EXPECT_EQ(areas.size(), 3u);
      break;
    }
    ++failures;
    EXPECT_EQ(outcome, DetectOutcome::kNoMemory) << failAt;
    ASSERT_EQ(areas.size(), 1u) << failAt;
    EXPECT_TRUE(Same(*areas[0], CRectObj{1, 2, 3, 4}));
    ASSERT_LT(failAt, 100);
  }
  // Mask, run lengths, the projections of each pass and the two areas can all fail.
  EXPECT_GE(failures, 8);
}

TEST(AutoDetect, ShortBufferIsRefused) {
  Prescan p(306, 396);
  p.Fill(50, 40, 200, 300, kPaper);
  std::vector<std::unique_ptr<CRectObj>> areas;
  int counter = 0;
  EXPECT_EQ(DetectDocumentAreas(p.bits.data(), p.bits.size() - 1, 306, 396, counter, areas),
            DetectOutcome::kBadImage);
  EXPECT_TRUE(areas.empty());
  EXPECT_EQ(DetectDocumentAreas(p.bits.data(), p.bits.size(), 0, 396, counter, areas), DetectOutcome::kDone);
  EXPECT_TRUE(areas.empty());
}

}  // namespace
