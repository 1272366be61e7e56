// The virtual scanner's scene: dark glass round a light page with dark text and a photograph.
#include <gtest/gtest.h>

#include <vector>

#include "tools/vscanner/PageModel.h"

namespace {
std::vector<uint8_t> Row(CPageModel& model, const ScanWindow& w, int y) {
  std::vector<uint8_t> row(static_cast<size_t>(w.width) * 3);
  model.RenderRow(y, row.data());
  return row;
}
int Luma(const std::vector<uint8_t>& row, int x) {
  return (row[3 * x] + row[3 * x + 1] + row[3 * x + 2]) / 3;
}
}  // namespace

TEST(PageModel, GlassAroundAPaperPageWithText) {
  ScanWindow w;
  w.dpiX = w.dpiY = 100;
  w.width = 850;
  w.height = 1170;
  DocumentPlacement doc;
  CPageModel model(doc, w);
  // Above the document: glass only.
  auto top = Row(model, w, 10);
  EXPECT_LT(Luma(top, 400), 60);
  // A row in the document's blank margin: glass, paper, glass.
  auto margin = Row(model, w, static_cast<int>((doc.top + 0.2) * 100));
  EXPECT_LT(Luma(margin, 10), 60);
  EXPECT_GT(Luma(margin, 400), 200);
  EXPECT_LT(Luma(margin, 840), 60);
  // A row through the title has dark ink on the paper.
  auto title = Row(model, w, static_cast<int>((doc.top + 0.55 + 0.25) * 100));
  int dark = 0;
  for (int x = 100; x < 700; ++x) dark += Luma(title, x) < 80;
  EXPECT_GT(dark, 40);
  // Below the document: glass again.
  auto bottom = Row(model, w, 1160);
  EXPECT_LT(Luma(bottom, 400), 60);
  EXPECT_GE(model.Lines().size(), 10u);
}

TEST(PageModel, RepeatedRowsMatchFreshOnes) {
  ScanWindow w;
  w.dpiX = w.dpiY = 150;
  w.width = 1275;
  w.height = 1650;
  DocumentPlacement doc;
  CPageModel sequential(doc, w);
  std::vector<std::vector<uint8_t>> rows;
  for (int y = 0; y < w.height; y += 1) rows.push_back(Row(sequential, w, y));
  CPageModel fresh(doc, w);
  for (int y = w.height - 1; y >= 0; y -= 37) EXPECT_EQ(Row(fresh, w, y), rows[static_cast<size_t>(y)]) << y;
}

TEST(PageModel, BrightnessRaisesEverySample) {
  ScanWindow w;
  w.width = 100;
  w.height = 100;
  DocumentPlacement doc;
  CPageModel plain(doc, w), bright(doc, w);
  bright.SetLevels(500, 0);
  const auto a = Row(plain, w, 5), b = Row(bright, w, 5);
  EXPECT_GT(b[0], a[0]);
}
