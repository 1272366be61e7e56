// The page files the imaging component writes, made from the page's rows as they come (top
// first), so that neither side holds more than a strip: JPEG through our baseline encoder,
// and uncompressed TIFF in strips. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/PageRows.h"

// Receives a file's bytes in order; false stops the writing.
using ByteSink = bool (*)(void* context, const uint8_t* data, size_t size);

// Output settings of a page: the resolution in dots per inch (0 when unknown) and the JPEG
// quality 1..100.
struct PageOutput {
  int xDpi = 0;
  int yDpi = 0;
  int quality = 75;
  ByteSink sink = nullptr;
  void* context = nullptr;
};

// JPEG of the page with `layout` (any depth) and `palette`: greyscale for 8 bits or fewer with
// a grey palette, 4:2:0 colour otherwise. False when the page is wider or taller than JPEG
// allows, memory is short, a row cannot be had, or the sink refuses.
bool WriteJpegPage(const DibLayout& layout, const uint8_t* palette, CPageRows& rows,
                   const PageOutput& output);

// TIFF of the page, uncompressed, in strips of about 64 KB: 1, 4 and 8-bit pages with their
// palette, 16, 24 and 32-bit pages as 24-bit RGB; the resolution in dots per inch (96 when
// unknown). False when the file would pass 4 GB, memory is short, a row cannot be had, or the
// sink refuses.
bool WriteTiffPage(const DibLayout& layout, const uint8_t* palette, CPageRows& rows,
                   const PageOutput& output);
