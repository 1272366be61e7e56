// page_image: the virtual scanner's colour page (Letter at the given resolution, 300 dpi by
// default) as a binary PPM on the standard output, for the PDF benchmark's page set.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/vscanner/ImageSource.h"

int main(int argc, char** argv) {
  const int dpi = argc > 1 ? std::atoi(argv[1]) : 300;
  if (dpi < 50 || dpi > 1200) return 2;
  ImageSpec spec;
  spec.window.dpiX = spec.window.dpiY = dpi;
  spec.window.width = static_cast<int32_t>(8.5 * dpi);
  spec.window.height = 11 * dpi;
  CImageSource source(spec);
  std::vector<uint8_t> row(source.RowBytes());
  std::printf("P6\n%d %d\n255\n", source.Width(), source.Height());
  for (int32_t y = 0; y < source.Height(); ++y) {
    source.Row(y, 0, row.data());
    std::fwrite(row.data(), 1, static_cast<size_t>(source.Width()) * 3, stdout);
  }
  return 0;
}
