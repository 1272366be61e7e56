// The acquisition requests of a scan job: fixed size, automatic-size prescan, second pass.
#include "app/ScanRequest.h"

#include <gtest/gtest.h>

#include "app/settings/ResolutionTable.h"

namespace {
CResolutionTable Table(std::initializer_list<int> dpis) {
  CStringArray tokens;
  std::vector<int> values(dpis);
  for (size_t i = 0; i < values.size(); ++i) tokens.Add(CString::Format("R%zu", i));
  CResolutionTable table;
  table.Build(tokens, [&](const CString& token) { return values[std::atoi(token.c_str() + 1)]; });
  return table;
}

ScanRequestInput Input(const char* paperSize, const CResolutionTable* table, uint16_t id = 1001) {
  ScanRequestInput input;
  input.destinationId = id;
  input.paperSize = paperSize;
  input.firstPaperSize = "850 1100";
  input.resolutions = table;
  return input;
}
}  // namespace

TEST(ScanRequest, FixedSizeTakesPaperResolutionAndLevels) {
  const CResolutionTable table = Table({100, 150, 200, 300});
  ScanRequestInput input = Input("850 1100", &table);
  input.settings.scanMode = 1;
  input.settings.resolution = 3;
  input.settings.brightness = 4;
  input.settings.contrast = 0;
  bool autoSize = true;
  const AcquireRequest r = BuildScanRequest(input, autoSize);
  EXPECT_FALSE(autoSize);
  EXPECT_EQ(r.destinationId, 1001);
  EXPECT_EQ(r.showUI, 0);
  EXPECT_EQ(r.sizeCode, 0);
  EXPECT_EQ(r.units, 0);
  EXPECT_EQ(r.pixelType, 1);
  EXPECT_EQ(r.resolution, 300);
  EXPECT_EQ(r.brightness, 128);
  EXPECT_EQ(r.contrast, -128);
  EXPECT_FLOAT_EQ(r.frameLeft, 0);
  EXPECT_FLOAT_EQ(r.frameTop, 0);
  EXPECT_FLOAT_EQ(r.frameRight, 8.5f);
  EXPECT_FLOAT_EQ(r.frameBottom, 11.0f);

  // The defaults: the first resolution, no level change; an Image scan carries 1005.
  ScanRequestInput image = Input("827 1169", &table, 1005);
  const AcquireRequest d = BuildScanRequest(image, autoSize);
  EXPECT_EQ(d.destinationId, 1005);
  EXPECT_EQ(d.pixelType, 0);
  EXPECT_EQ(d.resolution, 100);
  EXPECT_EQ(d.brightness, 0);
  EXPECT_EQ(d.contrast, 0);
}

TEST(ScanRequest, IndexesPastTheirTablesFallBack) {
  const CResolutionTable table = Table({75, 100});
  ScanRequestInput input = Input("850 1100", &table);
  input.settings.resolution = 7;
  input.settings.brightness = 5;
  input.settings.contrast = -1;
  bool autoSize = false;
  const AcquireRequest r = BuildScanRequest(input, autoSize);
  EXPECT_EQ(r.resolution, 75);
  EXPECT_EQ(r.brightness, 0);
  EXPECT_EQ(r.contrast, 0);
  EXPECT_EQ(PaperIndex(5, 6), 5);
  EXPECT_EQ(PaperIndex(6, 6), 0);
  EXPECT_EQ(PaperIndex(-1, 6), 0);
  // A destination whose page has no resolution list scans at the default 100 dpi.
  input.resolutions = nullptr;
  EXPECT_EQ(BuildScanRequest(input, autoSize).resolution, 100);
}

TEST(ScanRequest, AutoOrUnparsableSizeGivesTheColourPrescan) {
  const CResolutionTable table = Table({300});
  for (const char* size : {"", "8.5 11", "850", "850,1100", "Auto", "x 1100"}) {
    SCOPED_TRACE(size);
    ScanRequestInput input = Input(size, &table);
    input.settings.scanMode = 0;
    input.settings.brightness = 4;
    bool autoSize = false;
    const AcquireRequest r = BuildScanRequest(input, autoSize);
    EXPECT_TRUE(autoSize);
    EXPECT_EQ(r.pixelType, 2);
    EXPECT_EQ(r.resolution, 36);
    EXPECT_FLOAT_EQ(r.frameRight, 8.5f);
    EXPECT_FLOAT_EQ(r.frameBottom, 11.0f);
    EXPECT_EQ(r.brightness, 0);
    EXPECT_EQ(r.contrast, 0);
  }
  int w = 0, h = 0;
  EXPECT_TRUE(ParsePaperSize("  850\t1100 extra", w, h));
  EXPECT_EQ(w, 850);
  EXPECT_EQ(h, 1100);
  EXPECT_FALSE(ParsePaperSize("99999999999 1", w, h));
}

TEST(ScanRequest, ValuesTwainCannotCarryAreHeldOrReplaced) {
  // Frame edges stay below 32768 inches; a resolution beyond 16 bits (or none) is the default.
  const CResolutionTable table = Table({70000, 0});
  bool autoSize = false;
  const AcquireRequest huge = BuildScanRequest(Input("3276800 -1100", &table), autoSize);
  EXPECT_FALSE(autoSize);
  EXPECT_FLOAT_EQ(huge.frameRight, 32767.0f);
  EXPECT_FLOAT_EQ(huge.frameBottom, 0.0f);
  EXPECT_EQ(huge.resolution, 100);
  ScanRequestInput zero = Input("850 1100", &table);
  zero.settings.resolution = 1;
  EXPECT_EQ(BuildScanRequest(zero, autoSize).resolution, 100);

  ScanRequestInput prescan = Input("", &table);
  prescan.prescan = PrescanGeometry{70000, 306, 396};
  const AcquireRequest request = BuildScanRequest(prescan, autoSize);
  EXPECT_TRUE(autoSize);
  EXPECT_EQ(request.resolution, 36);
  EXPECT_FLOAT_EQ(request.frameRight, 8.5f);
  prescan.prescan = PrescanGeometry{1, 3000000, 396};
  EXPECT_FLOAT_EQ(BuildScanRequest(prescan, autoSize).frameRight, 32767.0f);
  CRectObj area;
  area.x2 = 65535;
  EXPECT_FLOAT_EQ(BuildSecondPass(prescan, &area, autoSize).frameRight, 32767.0f);
}

TEST(ScanRequest, SecondPassFramesTheFoundArea) {
  const CResolutionTable table = Table({200, 300});
  ScanRequestInput input = Input("", &table, 1003);
  input.settings.scanMode = 2;
  input.settings.resolution = 1;
  input.settings.brightness = 0;
  CRectObj area;
  area.x1 = 30;
  area.y1 = 50;
  area.x2 = 10;
  area.y2 = 20;
  bool autoSize = true;
  const AcquireRequest r = BuildSecondPass(input, &area, autoSize);
  EXPECT_FALSE(autoSize);
  EXPECT_EQ(r.destinationId, 1003);
  EXPECT_EQ(r.pixelType, 2);
  EXPECT_EQ(r.resolution, 300);
  EXPECT_EQ(r.brightness, 0);
  EXPECT_FLOAT_EQ(r.frameLeft, 10.0f / 36);
  EXPECT_FLOAT_EQ(r.frameTop, 20.0f / 36);
  EXPECT_FLOAT_EQ(r.frameRight, 30.0f / 36);
  EXPECT_FLOAT_EQ(r.frameBottom, 50.0f / 36);
  // A document to straighten: two pixels of glass beyond each edge (its last cells included),
  // never past the glass.
  const CRectObj wide = AreaWithGlass(area, input.prescan, 2);
  EXPECT_EQ(wide.x1, 8);
  EXPECT_EQ(wide.x2, 33);
  EXPECT_EQ(wide.y2, 18);
  EXPECT_EQ(wide.y1, 53);
  const CRectObj edge = AreaWithGlass(CRectObj{1, 395, 305, 0}, input.prescan, 2);
  EXPECT_EQ(edge.x1, 0);
  EXPECT_EQ(edge.x2, input.prescan.width);
  EXPECT_EQ(edge.y1, input.prescan.height);
  EXPECT_EQ(edge.y2, 0);

  // Nothing found: the first paper; without a size for it either, the whole glass.
  const AcquireRequest first = BuildSecondPass(input, nullptr, autoSize);
  EXPECT_FLOAT_EQ(first.frameLeft, 0);
  EXPECT_FLOAT_EQ(first.frameRight, 8.5f);
  EXPECT_FLOAT_EQ(first.frameBottom, 11.0f);
  input.firstPaperSize = "";
  input.prescan.dpi = 0;
  const AcquireRequest glass = BuildSecondPass(input, nullptr, autoSize);
  EXPECT_FLOAT_EQ(glass.frameRight, 8.5f);
  EXPECT_FLOAT_EQ(glass.frameBottom, 11.0f);
}
