// A colour or grey page made compact: its text and line art as 1-bit masks at the page's
// resolution (JBIG2), one for each of the ink's few colours and painted with it (or one mask
// painted through a small foreground picture when the ink has many), over a background
// picture of the page without its ink at a third of the resolution (JPEG). A page that is mostly picture goes
// whole as one JPEG instead, as does a page whose layers would come out larger. The page is read in passes,
// each from the top, so only the coded layers and a few rows are ever held. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The page's rows, read as often as the coder asks.
class CPixelSource {
 public:
  virtual ~CPixelSource() = default;
  // Back to the top row. False when the page cannot be read again.
  virtual bool Rewind() = 0;
  // The next row, top first: blue, green, red triples (or grey bytes); null when it cannot be had.
  virtual const uint8_t* Next() = 0;
};

// The two presets: small files, or finer pictures at about half again the bytes.
enum class CompactQuality { kSmall = 0, kFine = 1 };

struct CompactPageInput {
  uint32_t width = 0;
  uint32_t height = 0;
  int channels = 3;  // 1 grey, 3 blue-green-red
  int dpi = 0;       // the page's resolution (0: taken as 300)
  CompactQuality quality = CompactQuality::kSmall;
};

struct CompactPage {
  enum class Kind { kLayers, kWholePicture };
  Kind kind = Kind::kLayers;
  int channels = 3;
  // kLayers: the background JPEG and its size.
  std::vector<uint8_t> background;
  uint32_t backgroundWidth = 0, backgroundHeight = 0;
  // The ink: a mask (JBIG2, 1 for ink) of a box of the page (in pixels from the top left),
  // painted with its colour (red, green, blue). None on a page without ink.
  struct Ink {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    uint8_t colour[3] = {0, 0, 0};
    std::vector<uint8_t> mask;
  };
  std::vector<Ink> inks;
  // With many colours of ink: the one mask, of the whole page, is painted through this JPEG.
  std::vector<uint8_t> foreground;
  uint32_t foregroundWidth = 0, foregroundHeight = 0;
  // kWholePicture: the page as a JPEG (the quality of the job's JPEG pages).
  std::vector<uint8_t> picture;

  size_t Bytes() const {
    size_t bytes = background.size() + foreground.size() + picture.size();
    for (const Ink& ink : inks) bytes += ink.mask.size();
    return bytes;
  }
};

enum class CompactResult { kOk, kUnreadable, kNoMemory, kBadInput };

// The quality of a whole-picture page: that of the job's own JPEG pages.
const int kWholePictureQuality = 50;

CompactResult MakeCompactPage(CPixelSource& source, const CompactPageInput& input, CompactPage& page);
