// The virtual scanner's delivered rows: black-and-white bits, grey, colour and planes.
#include <gtest/gtest.h>

#include <vector>

#include "tools/vscanner/ImageSource.h"

namespace {
ImageSpec Spec(int pixelType, bool planar = false) {
  ImageSpec spec;
  spec.pixelType = pixelType;
  spec.planar = planar;
  spec.window.dpiX = spec.window.dpiY = 50;
  spec.window.width = 425;
  spec.window.height = 585;
  return spec;
}

// A row through the document's blank top margin: glass, paper, glass.
const int kMarginRow = 23;
}  // namespace

TEST(ImageSource, RowBytesByFormat) {
  EXPECT_EQ(CImageSource(Spec(0)).RowBytes(), 54u);
  EXPECT_EQ(CImageSource(Spec(1)).RowBytes(), 425u);
  EXPECT_EQ(CImageSource(Spec(2)).RowBytes(), 1275u);
  EXPECT_EQ(CImageSource(Spec(2, true)).RowBytes(), 425u);
}

TEST(ImageSource, BlackAndWhiteIsOneBitWhiteOnPaper) {
  CImageSource source(Spec(0));
  std::vector<uint8_t> row(source.RowBytes());
  source.Row(kMarginRow, 0, row.data());
  EXPECT_EQ(row[0], 0x00);       // glass: black
  EXPECT_EQ(row[20], 0xFF);      // paper: white
  EXPECT_EQ(row[53] & 0x7F, 0);  // the last byte's unused bits stay clear
}

TEST(ImageSource, PlanesAreTheChannelsOfTheColourRow) {
  CImageSource chunky(Spec(2)), planar(Spec(2, true)), grey(Spec(1));
  std::vector<uint8_t> rgb(chunky.RowBytes()), plane(planar.RowBytes()), luma(grey.RowBytes());
  const int photoRow = 230;
  chunky.Row(photoRow, 0, rgb.data());
  grey.Row(photoRow, 0, luma.data());
  for (int channel = 0; channel < 3; ++channel) {
    planar.Row(photoRow, channel, plane.data());
    for (int x = 0; x < 425; x += 17) EXPECT_EQ(plane[x], rgb[3 * x + channel]) << channel << " " << x;
  }
  for (int x = 0; x < 425; x += 17) {
    EXPECT_EQ(luma[x], (rgb[3 * x] * 77 + rgb[3 * x + 1] * 150 + rgb[3 * x + 2] * 29) >> 8);
  }
}
