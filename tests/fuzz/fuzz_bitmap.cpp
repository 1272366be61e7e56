// Fuzz target: an image file as the imaging component reads it, with the JPEG encoder behind
// it. The input is the file: its headers are checked against its length, its rows are taken
// into a packed bitmap (turned top-down files the right way up), expanded to 24 bits, and the
// page is written as JPEG the way the component does it; the same bytes go through the
// reader of a source's packed bitmap. Properties: no read outside the file or the block, and
// every image the encoder takes becomes one complete JPEG stream of its size.
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "app/PackedDib.h"
#include "app/output/DibLayout.h"
#include "app/output/JpegEncoder.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
const uint64_t kLargestExpansion = 16u << 20;
const uint32_t kJpegLargestSide = 65535;

// The rows of a checked bitmap file, bottom-up as in a packed bitmap.
std::unique_ptr<uint8_t[]> LoadRows(const uint8_t* file, const DibLayout& layout) {
  std::unique_ptr<uint8_t[]> rows(new uint8_t[layout.imageBytes ? layout.imageBytes : 1]);
  std::memcpy(rows.get(), file + layout.pixelOffset, layout.imageBytes);
  if (layout.topDown) {
    const size_t rowBytes = static_cast<size_t>(layout.rowBytes);
    std::vector<uint8_t> spare(rowBytes);
    for (uint32_t top = 0, bottom = layout.height - 1; top < bottom; ++top, --bottom) {
      std::memcpy(spare.data(), rows.get() + top * rowBytes, rowBytes);
      std::memcpy(rows.get() + top * rowBytes, rows.get() + bottom * rowBytes, rowBytes);
      std::memcpy(rows.get() + bottom * rowBytes, spare.data(), rowBytes);
    }
  }
  return rows;
}

struct JpegStream {
  std::vector<uint8_t> bytes;
  static bool Write(void* context, const uint8_t* data, size_t size) {
    auto& out = static_cast<JpegStream*>(context)->bytes;
    out.insert(out.end(), data, data + size);
    return true;
  }
};

// As the imaging component saves a page as JPEG: greyscale for a grey palette of 8 bits or
// fewer, otherwise colour rows expanded from the stored depth, the top row first.
void SaveAsJpeg(const DibLayout& layout, const uint8_t* palette, const uint8_t* rows) {
  if (layout.width > kJpegLargestSide || layout.height > kJpegLargestSide) return;
  const bool grey = layout.bitsPerPixel <= 8 && PaletteIsGrey(palette, layout.colours);
  CJpegEncoder::Settings settings;
  settings.width = layout.width;
  settings.height = layout.height;
  settings.layout = grey ? CJpegEncoder::Layout::kGrey : CJpegEncoder::Layout::kBgr;
  settings.quality = 50;
  settings.xDpi = DpiFromPelsPerMeter(layout.xPelsPerMeter);
  settings.yDpi = DpiFromPelsPerMeter(layout.yPelsPerMeter);
  std::vector<uint8_t> row(static_cast<size_t>(layout.width) * 3);
  JpegStream stream;
  CJpegEncoder encoder;
  FUZZ_CHECK(encoder.Begin(settings, JpegStream::Write, &stream));
  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint8_t* stored = rows + layout.rowBytes * (layout.height - 1 - y);
    if (layout.bitsPerPixel != 24) {
      if (grey)
        ExpandRowToGrey(stored, layout.bitsPerPixel, palette, layout.colours, layout.width, row.data());
      else
        ExpandRowToBgr(stored, layout.bitsPerPixel, palette, layout.colours, layout.width, row.data());
      stored = row.data();
    }
    FUZZ_CHECK(encoder.AddRow(stored));
  }
  FUZZ_CHECK(encoder.Finish());
  const auto& out = stream.bytes;
  FUZZ_CHECK(out.size() > 4 && out[0] == 0xFF && out[1] == 0xD8);
  FUZZ_CHECK(out[out.size() - 2] == 0xFF && out[out.size() - 1] == 0xD9);
  // The frame header names the page's size and its components (one for grey, three for colour).
  size_t at = 2;
  while (at + 4 <= out.size() && out[at] == 0xFF && out[at + 1] != 0xC0)
    at += 2 + (out[at + 2] << 8 | out[at + 3]);
  FUZZ_CHECK(at + 10 <= out.size() && out[at + 1] == 0xC0);
  FUZZ_CHECK((out[at + 5] << 8 | out[at + 6]) == static_cast<int>(layout.height));
  FUZZ_CHECK((out[at + 7] << 8 | out[at + 8]) == static_cast<int>(layout.width));
  FUZZ_CHECK(out[at + 9] == (grey ? 1 : 3));
}

void ReadBitmapFile(const uint8_t* data, size_t size) {
  DibLayout layout;
  const size_t headSize = size < kBitmapHeadBytes ? size : kBitmapHeadBytes;
  if (ParseBitmapFile(data, headSize, size, layout) != BitmapFileCheck::kOk) return;
  FUZZ_CHECK(layout.pixelOffset + layout.imageBytes <= size);
  const uint8_t* palette = data + layout.paletteOffset;
  std::unique_ptr<uint8_t[]> rows = LoadRows(data, layout);

  // Converted to 24 bits, as printing and the detection take pages.
  const uint64_t wideRow = DibRowBytes(layout.width, 24);
  if (wideRow != 0 && wideRow * layout.height <= kLargestExpansion) {
    std::unique_ptr<uint8_t[]> wide(new uint8_t[wideRow * layout.height]);
    for (uint32_t r = 0; r < layout.height; ++r)
      ExpandRowToBgr(rows.get() + layout.rowBytes * r, layout.bitsPerPixel, palette, layout.colours,
                     layout.width, wide.get() + wideRow * r);
  }
  uint8_t header[kInfoHeaderBytes];
  WriteInfoHeader(header, layout);
  SaveAsJpeg(layout, palette, rows.get());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadBitmapFile(data, size);

  // The same bytes as a source's packed bitmap (a native transfer).
  PackedDibLayout packed;
  if (MeasurePackedDib(data, size, packed)) {
    FUZZ_CHECK(static_cast<uint64_t>(packed.headerBytes) + packed.pixelBytes <= size);
    uint8_t fileHeader[14];
    WriteBitmapFileHeader(packed, fileHeader);
  }

  // Resolutions as files give them: pixels per metre, and the decoder's floating-point dots.
  CFuzzInput in(data, size);
  const int32_t pelsPerMeter = in.I32();
  const int dpi = DpiFromPelsPerMeter(pelsPerMeter);
  FUZZ_CHECK(dpi >= 0);
  PelsPerMeterFromDpi(dpi);
  const float decoded = in.Float();
  const int clamped = DpiFromReal(decoded);
  FUZZ_CHECK(clamped >= 0 && clamped <= kLargestDpi);
  if (std::isfinite(decoded) && decoded >= 1 && decoded <= kLargestDpi)
    FUZZ_CHECK(std::fabs(clamped - decoded) <= 0.5f);
  FUZZ_CHECK(PelsPerMeterFromDpi(clamped) >= 0);
  return 0;
}
