// Placement of the job's image on the printed page, and the print job's small rules.
#include <gtest/gtest.h>

#include "app/output/PrintGeometry.h"
#include "app/output/PrintRules.h"

namespace {

// A 600 dpi printer whose printable area is 8 x 10.6 inches.
PrinterMetrics Printer600() {
  PrinterMetrics printer;
  printer.horzRes = 4800;
  printer.vertRes = 6360;
  printer.logPixelsX = 600;
  printer.logPixelsY = 600;
  return printer;
}

ImageMetrics Image(int width, int height, int dpi) { return ImageMetrics{width, height, dpi, dpi}; }

PrintPlacement Copy(const ImageMetrics& image, int scaling, bool centerV = false, bool centerH = false,
                    const PrinterMetrics& printer = Printer600()) {
  PrintPlacement placement;
  EXPECT_TRUE(PlaceCopy(WithPrinterResolution(image, printer), printer,
                        CopyOptions{scaling, centerV, centerH}, &placement));
  return placement;
}

}  // namespace

TEST(PrintGeometry, LetterPageAtFullSizeIsFittedToTheWidth) {
  // 8.5 x 11 inches on 8 x 10.6: the width overflows most; 94 % fits it.
  const PrintPlacement p = Copy(Image(2550, 3300, 300), 100, true, true);
  EXPECT_EQ(p.scale, 94);
  EXPECT_EQ(p.windowExtX, 300);
  EXPECT_EQ(p.viewportExtX, 564);
  EXPECT_EQ(p.viewportExtY, 564);
  EXPECT_EQ(p.right, 4794);
  EXPECT_EQ(p.bottom, 6204);
  // The page is smaller than the unscaled image on both axes: no centring.
  EXPECT_EQ(p.originX, 0);
  EXPECT_EQ(p.originY, 0);
}

TEST(PrintGeometry, SmallPageIsCentredOnlyOnTheAxesAsked) {
  const ImageMetrics image = Image(1200, 1800, 300);  // 4 x 6 inches
  PrintPlacement p = Copy(image, 100, true, true);
  EXPECT_EQ(p.scale, 100);
  EXPECT_EQ(p.right, 2400);
  EXPECT_EQ(p.bottom, 3600);
  EXPECT_EQ(p.originX, 1200);
  EXPECT_EQ(p.originY, 1380);

  p = Copy(image, 100, true, false);
  EXPECT_EQ(p.originX, 0);
  EXPECT_EQ(p.originY, 1380);
  p = Copy(image, 100, false, true);
  EXPECT_EQ(p.originX, 1200);
  EXPECT_EQ(p.originY, 0);

  // Scaled to 150 % it still fits (6 x 9 inches) and is centred at its scaled size.
  p = Copy(image, 150, true, true);
  EXPECT_EQ(p.right, 3600);
  EXPECT_EQ(p.bottom, 5400);
  EXPECT_EQ(p.originX, 600);
  EXPECT_EQ(p.originY, 480);
}

TEST(PrintGeometry, ImageWithoutResolutionPrintsOnePixelPerDot) {
  const PrintPlacement p = Copy(ImageMetrics{1000, 700, 0, 0}, 100);
  EXPECT_EQ(p.windowExtX, 600);
  EXPECT_EQ(p.right, 1000);
  EXPECT_EQ(p.bottom, 700);

  // A printer with different horizontal and vertical resolutions keeps the pixel grid too.
  PrinterMetrics printer = Printer600();
  printer.logPixelsY = 300;
  printer.vertRes = 3180;
  const PrintPlacement q = Copy(ImageMetrics{1000, 700, 0, 0}, 100, false, false, printer);
  EXPECT_EQ(q.right, 1000);
  EXPECT_EQ(q.bottom, 700);
}

TEST(PrintGeometry, FittingKeepsBothAxesOnThePage) {
  // 8 x 9.5 inches at 200 %: 16 x 19 inches. The height overflows by more inches, but the
  // width needs the smaller factor; fitting the height alone would leave 0.8 inch of the width
  // off the page.
  const PrintPlacement p = Copy(Image(2400, 2850, 300), 200);
  EXPECT_EQ(p.scale, 100);
  EXPECT_LE(p.right, 4800);
  EXPECT_LE(p.bottom, 6360);

  // Within half an inch of the printable width counts as too large: snapped to the page.
  const PrintPlacement q = Copy(Image(2340, 1800, 300), 100);  // 7.8 x 6 inches
  EXPECT_EQ(q.scale, 102);
  EXPECT_LE(q.right, 4800);

  // A scaling far beyond the page, even one that wraps in 16 bits, ends fitted.
  for (int scaling : {999, 5000, 65535, 70000, -5}) {
    const PrintPlacement r = Copy(Image(2550, 3300, 300), scaling, true, true);
    EXPECT_GT(r.scale, 0) << scaling;
    EXPECT_LE(r.right, 4800) << scaling;
    EXPECT_LE(r.bottom, 6360) << scaling;
    EXPECT_GE(r.originX, 0) << scaling;
    EXPECT_GE(r.originY, 0) << scaling;
  }
  // 70000 wraps to 4464 %: the same fit as any other oversize scaling.
  EXPECT_EQ(Copy(Image(2550, 3300, 300), 70000).scale, 94);
}

TEST(PrintGeometry, UnusableScalingAndSizes) {
  // A stored 0 draws at 30 % (as the Copy page stores it), not nothing.
  const PrintPlacement p = Copy(Image(1200, 1800, 300), 0);
  EXPECT_EQ(p.scale, 30);
  EXPECT_EQ(p.right, 720);
  // A huge image at a tiny resolution still draws something.
  const PrintPlacement q = Copy(Image(30000, 30000, 1), 100);
  EXPECT_EQ(q.scale, 1);
  EXPECT_GT(q.right, 0);

  PrintPlacement r;
  PrinterMetrics noPrinter;
  EXPECT_FALSE(PlaceCopy(Image(100, 100, 100), noPrinter, CopyOptions(), &r));
  EXPECT_FALSE(PlaceCopy(Image(0, 100, 100), Printer600(), CopyOptions(), &r));
  EXPECT_FALSE(PlaceFax(ImageMetrics{100, 100, 0, 100}, Printer600(), &r));
}

TEST(PrintGeometry, FittingOnAPrintableSideUnderHalfAnInchIsBounded) {
  // 0.4 x 0.4 inches printable: every image is fitted, a small one enlarged to the page.
  PrinterMetrics tiny;
  tiny.horzRes = tiny.vertRes = 480;
  tiny.logPixelsX = tiny.logPixelsY = 1200;
  const PrintPlacement enlarged = Copy(Image(30, 30, 300), 100, false, false, tiny);
  EXPECT_EQ(enlarged.scale, 400);
  EXPECT_EQ(enlarged.right, 480);
  // A single pixel at 65535 dpi would need a scale of 2.6 million: held at 65535.
  const PrintPlacement dot = Copy(Image(1, 1, 65535), 100, true, true, tiny);
  EXPECT_EQ(dot.scale, 65535);
  EXPECT_EQ(dot.viewportExtX, 786420);
  EXPECT_EQ(dot.right, 12);
  EXPECT_EQ(dot.originX, 234);
  // Extents that would not fit an int are refused.
  PrinterMetrics dense = tiny;
  dense.logPixelsX = dense.horzRes = 2000000000;
  PrintPlacement placement;
  EXPECT_FALSE(PlaceCopy(Image(1, 1, 65535), dense, CopyOptions{65535, false, false}, &placement));
}

TEST(PrintGeometry, FaxKeepsTheNaturalSizeAtTheTopLeft) {
  PrintPlacement p;
  ASSERT_TRUE(PlaceFax(Image(2550, 3300, 300), Printer600(), &p));
  EXPECT_EQ(p.viewportExtX, 600);
  EXPECT_EQ(p.right, 5100);
  EXPECT_EQ(p.bottom, 6600);
  EXPECT_EQ(p.originX, 0);
  EXPECT_EQ(p.originY, 0);
  ASSERT_TRUE(PlaceFax(ImageMetrics{1728, 2200, 204, 196}, Printer600(), &p));
  EXPECT_EQ(p.right, 5082);   // 1728 x 600 / 204 = 5082.35
  EXPECT_EQ(p.bottom, 6735);  // 2200 x 600 / 196 = 6734.69
}

TEST(PrintGeometry, MulDivRoundsHalfAwayFromZero) {
  EXPECT_EQ(MulDivRounded(5, 1, 2), 3);
  EXPECT_EQ(MulDivRounded(-5, 1, 2), -3);
  EXPECT_EQ(MulDivRounded(7, 1, 3), 2);
  EXPECT_EQ(MulDivRounded(100000, 100000, 100000), 100000);  // no 32-bit overflow inside
  EXPECT_EQ(MulDivRounded(1, 1, 0), -1);
  EXPECT_EQ(MulDivRounded(0x7fffffff, 2, 1), -1);
}

TEST(PrintRules, DefaultPrinterValues) {
  using namespace PrintRules;
  EXPECT_EQ(DeviceName("Copier,wineps.drv,CUPS:Copier"), "Copier");
  EXPECT_EQ(DeviceName("Plain"), "Plain");
  EXPECT_EQ(DeviceValue("Team-Fax", "wineps.drv,CUPS:Team-Fax"), "Team-Fax,wineps.drv,CUPS:Team-Fax");
  // A printer without an entry gives no value: the default is never set to a broken one.
  EXPECT_EQ(DeviceValue("Gone", ""), "");
  EXPECT_EQ(CopiesForPrinter(2), 2);
  EXPECT_EQ(CopiesForPrinter(0), 1);
  EXPECT_EQ(CopiesForPrinter(-3), 1);
  EXPECT_EQ(CopiesForPrinter(70000), 9999);
}

TEST(PrintRules, FileKindsAndStatusLines) {
  using namespace PrintRules;
  EXPECT_EQ(Extension("P8194045.BMP"), "BMP");
  EXPECT_EQ(Extension("A.B.TXT"), "TXT");
  EXPECT_EQ(Extension("NOEXT"), "");
  EXPECT_TRUE(IsTextExtension("TXT"));
  EXPECT_TRUE(IsTextExtension("DOC"));
  EXPECT_FALSE(IsTextExtension("txt"));
  EXPECT_FALSE(IsTextExtension("TXTX"));
  EXPECT_EQ(StatusLine("On", "Copier"), "On Copier");
  EXPECT_EQ(StatusLine("Page", "1"), "Page 1");
}

TEST(PrintRules, TextLines) {
  using namespace PrintRules;
  EXPECT_EQ(LinesPerPage(6360, 100), 63);
  EXPECT_EQ(LinesPerPage(6360, 0), 0);
  EXPECT_EQ(LinesPerPage(0, 50), 0);
  EXPECT_EQ(PrintableLength("abc\n", 4), 3u);
  EXPECT_EQ(PrintableLength("abc\r\n", 5), 3u);
  // The last line of a file without a line break, and a line cut at the read limit, keep
  // their last character.
  EXPECT_EQ(PrintableLength("abc", 3), 3u);
  EXPECT_EQ(PrintableLength("", 0), 0u);
}
