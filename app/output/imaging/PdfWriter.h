// CPdfWriter: a PDF 1.4 document of scanned pages, one image filling each page, written front
// to back: each page goes out as it is given (JPEG bytes passed on unchanged, bilevel rows
// coded as Group 4 fax, other rows as they are) and the cross-reference table follows the last.
// Nothing of a page is kept once it is written, so a long batch never sits in memory.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/LocalTime.h"
#include "app/output/imaging/FaxG4Encoder.h"
#include "app/output/imaging/PageText.h"

class CPdfTextLayer;

class CPdfWriter {
 public:
  // Receives the document's bytes in order; false stops the writing.
  using Sink = bool (*)(void* context, const uint8_t* data, size_t size);

  enum class Samples {
    kJpeg,     // the bytes of a JPEG file, carried as they are (DCTDecode)
    kBilevel,  // 1-bit rows, high bit first, 1 for black: coded as Group 4 fax
    kGrey,     // one byte per pixel, uncompressed
    kRgb,      // red, green, blue bytes per pixel, uncompressed
  };

  struct PageImage {
    Samples samples = Samples::kJpeg;
    uint32_t width = 0;
    uint32_t height = 0;
    // The page is the image at this resolution; 0 takes 72 (a pixel per point).
    int xDpi = 0;
    int yDpi = 0;
    // kJpeg: its components (1, 3 or 4), whether an Adobe marker inverts four of them, and
    // exactly how many bytes AddJpegBytes will give.
    int jpegComponents = 3;
    bool jpegAdobe = false;
    uint64_t jpegBytes = 0;
    // Words laid invisibly over the page (in the image's pixels); none when null.
    const PageText* text = nullptr;
  };

  // A mask of a box of the page (1-bit JBIG2, 1 for ink) painted with its colour.
  struct Stencil {
    uint32_t x = 0, y = 0, width = 0, height = 0;  // in the page's pixels, from the top left
    const uint8_t* data = nullptr;
    size_t bytes = 0;
    uint8_t ink[3] = {0, 0, 0};  // red, green, blue
  };
  // A compact page: the background picture stretched over the page, then each stencil; or,
  // with a foreground picture, that picture (stretched likewise) painted through the one
  // stencil, which then covers the page. Pictures are JPEG files of `components` (1 or 3).
  struct LayeredPage {
    uint32_t width = 0;  // the page's pixels
    uint32_t height = 0;
    int xDpi = 0;
    int yDpi = 0;
    int components = 3;
    const uint8_t* background = nullptr;
    size_t backgroundBytes = 0;
    uint32_t backgroundWidth = 0, backgroundHeight = 0;
    const Stencil* stencils = nullptr;
    size_t stencilCount = 0;
    const uint8_t* foreground = nullptr;
    size_t foregroundBytes = 0;
    uint32_t foregroundWidth = 0, foregroundHeight = 0;
    const PageText* text = nullptr;  // as for PageImage
  };

  // Writes the header. `created` goes into the document information (none with year 0).
  bool Begin(Sink sink, void* context, const LocalTime& created);
  // Starts a page showing `image` at its true size. False for a side of 0 or a kJpeg page of
  // other than 1, 3 or 4 components.
  bool BeginPage(const PageImage& image);
  // kJpeg: the next piece of the file.
  bool AddJpegBytes(const uint8_t* data, size_t size);
  // Other pages: the next row, top first.
  bool AddRow(const uint8_t* row);
  // False unless the page got all its bytes or rows.
  bool EndPage();
  // Writes a whole compact page. False for a side of 0 or a picture missing its bytes or size.
  bool AddLayeredPage(const LayeredPage& page);
  // The page tree, the cross-reference table and the trailer. False without a page.
  bool Finish();

  // The page's side in points for `pixels` at `dpi`, in PDF's number form ("595.2756").
  static std::string Points(uint32_t pixels, int dpi);
  // The "cm" that places a box of a page `pageHeight` pixels high (from its top left, in
  // pixels at the resolutions).
  static std::string Placement(uint32_t pageHeight, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                               int xDpi, int yDpi);

 private:
  uint64_t BytesWritten() const { return m_offset + m_buffer.size(); }
  static bool TakeCoded(void* context, const uint8_t* data, size_t size);
  uint32_t NewObject();
  void StartObject(uint32_t number);
  void Put(const std::string& text);
  bool PutBytes(const uint8_t* data, size_t size);
  bool Flush();
  bool Fail();
  void WriteImageDictionary(const PageImage& image, uint32_t imageObject);
  bool WriteImageObject(uint32_t object, const std::string& dictionary, const uint8_t* data, size_t size);
  // Numbers the text layer's objects (its glyph, the fonts' descriptor, then each font and its
  // map); the page's font resources ("" without text).
  std::string TextResources(const CPdfTextLayer& layer, uint32_t& firstObject);
  void WriteTextObjects(const CPdfTextLayer& layer, uint32_t firstObject);
  void WriteStream(uint32_t object, const std::string& content);

  Sink m_sink = nullptr;
  void* m_context = nullptr;
  bool m_failed = false;
  bool m_inPage = false;
  uint64_t m_offset = 0;  // bytes handed to the sink
  std::vector<uint8_t> m_buffer;
  std::vector<uint64_t> m_objectOffsets;  // by object number; 0 is the free head
  std::vector<uint32_t> m_pageObjects;

  // The page being written.
  PageImage m_page;
  uint64_t m_expected = 0;  // JPEG bytes, or rows
  uint64_t m_taken = 0;
  uint64_t m_streamStart = 0;
  uint32_t m_lengthObject = 0;  // a coded stream's length, written after it
  size_t m_rowBytes = 0;
  CFaxG4Encoder m_fax;
};
