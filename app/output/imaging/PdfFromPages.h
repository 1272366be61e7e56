// One PDF from the page files of a job, in order, one page at a time: a JPEG file is carried
// byte for byte, an uncompressed bitmap file goes in at its own depth (black and white as
// Group 4 fax, grey and colour uncompressed, or made compact: text mask over a small
// background). Each page is as large as its pixels at its resolution. Platform-free
// (standard C files).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/output/imaging/CompactPage.h"
#include "app/output/imaging/PdfWriter.h"

struct PdfFromPagesResult {
  enum Status {
    kOk,
    kNoPages,
    kPageUnreadable,   // a page file that cannot be opened or read to its end
    kPageUnsupported,  // neither a JPEG nor an uncompressed bitmap file of ours, or a damaged one
    kCannotWrite,      // the PDF could not be created or written whole
  };
  Status status = kOk;
  size_t page = 0;  // the page that failed
};

// How grey and colour bitmap pages go in: as they are, or compact; and the words laid
// invisibly over each page (by page, in its pixels; a page past the list's end has none).
struct PdfPageStyle {
  bool compact = false;
  CompactQuality quality = CompactQuality::kSmall;
  const std::vector<PageText>* texts = nullptr;
};

// Writes the PDF to `outputPath` (replacing a file there). `scanDpi` is the resolution the
// pages were scanned at (0: not known): a page whose file states none, or states it as the
// acquisition library's bitmap files round it, is shown at that resolution. On failure
// nothing is left at `outputPath`.
PdfFromPagesResult WritePdfFromPages(const std::string& outputPath, const std::vector<std::string>& pages,
                                     int scanDpi, const LocalTime& created,
                                     const PdfPageStyle& style = PdfPageStyle());
