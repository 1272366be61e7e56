// Where and how large a job's image lands on the printed page: Copy with scaling, fitting and
// centring, Fax at natural size. Platform-free.
#pragma once

// What printing needs of the printer: printable area in device pixels and dots per inch.
struct PrinterMetrics {
  int horzRes = 0;
  int vertRes = 0;
  int logPixelsX = 0;
  int logPixelsY = 0;
};

// The image in pixels and its resolution in dots per inch (0: the file gives none).
struct ImageMetrics {
  int width = 0;
  int height = 0;
  int xResolution = 0;
  int yResolution = 0;
};

struct CopyOptions {
  int scaling = 100;  // percent as stored; taken as 16-bit unsigned
  bool centerVertical = false;
  bool centerHorizontal = false;
};

// The mapping that puts the image on the page, and its result in device pixels.
struct PrintPlacement {
  int windowExtX = 0;  // the image's dots per inch
  int windowExtY = 0;
  int viewportExtX = 0;  // the printer's dots per inch at the scale
  int viewportExtY = 0;
  int originX = 0;  // top left of the image on the printable area
  int originY = 0;
  int right = 0;  // drawn size
  int bottom = 0;
  int scale = 100;  // percent after fitting (Copy)
};

// The image's resolution with 0 replaced by the printer's, so that such an image prints one
// pixel per printer dot.
ImageMetrics WithPrinterResolution(const ImageMetrics& image, const PrinterMetrics& printer);

// Copy: scaled by `options.scaling` percent; an image that comes within half an inch of the
// printable width or height (or beyond) is fitted to the page; centred on the axes asked for
// when the page is larger than the unscaled image. Fitting never takes the scale beyond 65535
// percent. False when the sizes cannot be used.
bool PlaceCopy(const ImageMetrics& image, const PrinterMetrics& printer, const CopyOptions& options,
               PrintPlacement* placement);
// Fax: the image keeps its physical size, at the top left.
bool PlaceFax(const ImageMetrics& image, const PrinterMetrics& printer, PrintPlacement* placement);

// number × numerator ÷ denominator rounded half away from zero, with a 64-bit intermediate,
// as the platform's MulDiv; -1 when the denominator is 0 or the result does not fit.
int MulDivRounded(int number, int numerator, int denominator);
