// Placement of the job's image on the printed page.
#include "app/output/PrintGeometry.h"

#include <cstdint>

namespace {

// A stored scaling of 0 would draw nothing; the Copy page stores 0 as 30, and so does printing.
const int kZeroScaling = 30;
// An image that comes within this many inches of the printable width or height is fitted.
const float kFitMargin = 0.5f;
// Fitting may enlarge (on a printable side under half an inch, without bound): the scale is
// held at the largest one the Copy page can store.
const float kLargestScale = 65535.0f;

bool Usable(const ImageMetrics& image, const PrinterMetrics& printer) {
  return image.width > 0 && image.height > 0 && image.xResolution > 0 && image.yResolution > 0 &&
         printer.horzRes > 0 && printer.vertRes > 0 && printer.logPixelsX > 0 && printer.logPixelsY > 0;
}

// Fills the drawn size from the extents; false when it does not fit an int.
bool FinishPlacement(const ImageMetrics& image, PrintPlacement* placement) {
  placement->windowExtX = image.xResolution;
  placement->windowExtY = image.yResolution;
  placement->right = MulDivRounded(image.width, placement->viewportExtX, placement->windowExtX);
  placement->bottom = MulDivRounded(image.height, placement->viewportExtY, placement->windowExtY);
  return placement->right > 0 && placement->bottom > 0;
}

// Offset that centres `scaled` inches in `page` inches, in device pixels; never negative, so
// that centring cannot push the image off the page.
int CentringOffset(int logPixels, float page, float scaled) {
  // Positive, it is at most half the printable side in pixels; negative, it may be beyond any int.
  const float offset = logPixels * (page - scaled) / 2;
  return offset > 0 ? static_cast<int>(offset) : 0;
}

}  // namespace

ImageMetrics WithPrinterResolution(const ImageMetrics& image, const PrinterMetrics& printer) {
  ImageMetrics result = image;
  if (result.xResolution == 0) result.xResolution = printer.logPixelsX;
  if (result.yResolution == 0) result.yResolution = printer.logPixelsY;
  return result;
}

bool PlaceCopy(const ImageMetrics& image, const PrinterMetrics& printer, const CopyOptions& options,
               PrintPlacement* placement) {
  *placement = PrintPlacement();
  if (!Usable(image, printer)) return false;
  int scale = static_cast<uint16_t>(options.scaling);
  if (scale == 0) scale = kZeroScaling;

  const float pageWidth = static_cast<float>(printer.horzRes) / printer.logPixelsX;
  const float pageHeight = static_cast<float>(printer.vertRes) / printer.logPixelsY;
  const float w = static_cast<float>(image.width) / image.xResolution;
  const float h = static_cast<float>(image.height) / image.yResolution;
  const float sw = scale * w / 100;
  const float sh = scale * h / 100;

  if (sw - pageWidth + kFitMargin > 0 || sh - pageHeight + kFitMargin > 0) {
    // Fit the axis that needs the smaller factor, so that the other one fits as well.
    const float widthFactor = pageWidth / sw;
    const float heightFactor = pageHeight / sh;
    const float fitted = (widthFactor < heightFactor ? widthFactor : heightFactor) * scale;
    scale = fitted < 1               ? 1
            : fitted > kLargestScale ? static_cast<int>(kLargestScale)
                                     : static_cast<int>(fitted);
  }
  placement->scale = scale;
  const int64_t extX = static_cast<int64_t>(printer.logPixelsX) * scale / 100;
  const int64_t extY = static_cast<int64_t>(printer.logPixelsY) * scale / 100;
  if (extX > INT32_MAX || extY > INT32_MAX) return false;
  placement->viewportExtX = static_cast<int>(extX);
  placement->viewportExtY = static_cast<int>(extY);
  if (options.centerVertical && pageHeight > h)
    placement->originY = CentringOffset(printer.logPixelsY, pageHeight, scale * h / 100);
  if (options.centerHorizontal && pageWidth > w)
    placement->originX = CentringOffset(printer.logPixelsX, pageWidth, scale * w / 100);
  return FinishPlacement(image, placement);
}

bool PlaceFax(const ImageMetrics& image, const PrinterMetrics& printer, PrintPlacement* placement) {
  *placement = PrintPlacement();
  if (!Usable(image, printer)) return false;
  placement->viewportExtX = printer.logPixelsX;
  placement->viewportExtY = printer.logPixelsY;
  return FinishPlacement(image, placement);
}

int MulDivRounded(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const uint64_t magnitude = static_cast<uint64_t>(product < 0 ? -product : product);
  const uint64_t divisor =
      static_cast<uint64_t>(denominator < 0 ? -static_cast<int64_t>(denominator) : denominator);
  const uint64_t quotient = (magnitude + divisor / 2) / divisor;
  if (quotient > static_cast<uint64_t>(INT32_MAX)) return -1;
  return negative ? -static_cast<int>(quotient) : static_cast<int>(quotient);
}
