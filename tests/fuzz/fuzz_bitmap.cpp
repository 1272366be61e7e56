// Fuzz target: an image file as the imaging component reads it, with the page writers behind
// it. The input is the file: its headers are checked against its length, its rows are written
// as JPEG band by band from the file, then taken into a packed bitmap (top-down files turned
// the right way up), expanded to 24 bits, and written as TIFF from memory; the same bytes go
// through the reader of a source's packed bitmap. Properties: no read outside the file or the
// block, every page within JPEG's sides becomes one complete JPEG stream of its size, and
// every page a TIFF.
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/PackedDib.h"
#include "app/output/imaging/PageRows.h"
#include "app/output/imaging/PageWriters.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
const uint64_t kLargestExpansion = 16u << 20;
const uint64_t kLargestTiffPixels = 4u << 20;
const uint32_t kJpegLargestSide = 65535;

// The rows of a checked bitmap file, bottom-up as in a packed bitmap.
std::unique_ptr<uint8_t[]> LoadRows(const uint8_t* file, const DibLayout& layout) {
  std::unique_ptr<uint8_t[]> rows(new uint8_t[layout.imageBytes ? layout.imageBytes : 1]);
  std::memcpy(rows.get(), file + layout.pixelOffset, layout.imageBytes);
  if (layout.topDown) FlipRows(rows.get(), static_cast<size_t>(layout.rowBytes), layout.height);
  return rows;
}

struct ByteStream {
  std::vector<uint8_t> bytes;
  static bool Write(void* context, const uint8_t* data, size_t size) {
    auto& out = static_cast<ByteStream*>(context)->bytes;
    out.insert(out.end(), data, data + size);
    return true;
  }
};

// The page's JPEG, as the imaging component writes it: one complete stream whose frame header
// names the page's size and its components (one for a grey palette, three otherwise).
void CheckJpeg(const DibLayout& layout, const uint8_t* palette, CPageRows& rows) {
  ByteStream stream;
  PageOutput output;
  output.xDpi = DpiFromPelsPerMeter(layout.xPelsPerMeter);
  output.yDpi = DpiFromPelsPerMeter(layout.yPelsPerMeter);
  output.quality = 50;
  output.sink = ByteStream::Write;
  output.context = &stream;
  const bool fits = layout.width <= kJpegLargestSide && layout.height <= kJpegLargestSide;
  FUZZ_CHECK(WriteJpegPage(layout, palette, rows, output) == fits);
  if (!fits) return;
  const auto& out = stream.bytes;
  FUZZ_CHECK(out.size() > 4 && out[0] == 0xFF && out[1] == 0xD8);
  FUZZ_CHECK(out[out.size() - 2] == 0xFF && out[out.size() - 1] == 0xD9);
  size_t at = 2;
  while (at + 4 <= out.size() && out[at] == 0xFF && out[at + 1] != 0xC0)
    at += 2 + (out[at + 2] << 8 | out[at + 3]);
  FUZZ_CHECK(at + 10 <= out.size() && out[at + 1] == 0xC0);
  FUZZ_CHECK((out[at + 5] << 8 | out[at + 6]) == static_cast<int>(layout.height));
  FUZZ_CHECK((out[at + 7] << 8 | out[at + 8]) == static_cast<int>(layout.width));
  const bool grey = layout.bitsPerPixel <= 8 && PaletteIsGrey(palette, layout.colours);
  FUZZ_CHECK(out[at + 9] == (grey ? 1 : 3));
}

// The page's TIFF (the OCR page): a little-endian file with its directory first.
void CheckTiff(const DibLayout& layout, const uint8_t* palette, CPageRows& rows) {
  ByteStream stream;
  PageOutput output;
  output.sink = ByteStream::Write;
  output.context = &stream;
  FUZZ_CHECK(WriteTiffPage(layout, palette, rows, output));
  const auto& out = stream.bytes;
  FUZZ_CHECK(out.size() > 8 && out[0] == 'I' && out[1] == 'I' && out[2] == 42 && out[4] == 8);
}

struct FileBytes {
  const uint8_t* data;
  size_t size;
  static bool Read(void* context, uint64_t offset, uint8_t* to, size_t bytes) {
    const auto* file = static_cast<const FileBytes*>(context);
    FUZZ_CHECK(offset <= file->size && bytes <= file->size - offset);  // checked before any read
    std::memcpy(to, file->data + offset, bytes);
    return true;
  }
};

void ReadBitmapFile(const uint8_t* data, size_t size) {
  DibLayout layout;
  const size_t headSize = size < kBitmapHeadBytes ? size : kBitmapHeadBytes;
  if (ParseBitmapFile(data, headSize, size, layout) != BitmapFileCheck::kOk) return;
  FUZZ_CHECK(layout.pixelOffset + layout.imageBytes <= size);
  const uint8_t* palette = data + layout.paletteOffset;

  // Written straight from the file's rows, band by band, as a page too large to load is.
  FileBytes file{data, size};
  CBitmapFileRows fileRows(layout, FileBytes::Read, &file);
  FUZZ_CHECK(fileRows.IsReady());
  CheckJpeg(layout, palette, fileRows);
  if (static_cast<uint64_t>(layout.width) * layout.height > kLargestTiffPixels) return;

  // Loaded into a packed bitmap, converted to 24 bits (as printing and the detection take
  // pages) and written again from memory.
  std::unique_ptr<uint8_t[]> rows = LoadRows(data, layout);
  DibLayout packed = layout;
  packed.topDown = false;
  const uint64_t wideRow = DibRowBytes(layout.width, 24);
  if (wideRow != 0 && wideRow * layout.height <= kLargestExpansion) {
    std::unique_ptr<uint8_t[]> wide(new uint8_t[wideRow * layout.height]);
    for (uint32_t r = 0; r < layout.height; ++r)
      ExpandRowToBgr(rows.get() + layout.rowBytes * r, layout.bitsPerPixel, palette, layout.colours,
                     layout.width, wide.get() + wideRow * r);
  }
  uint8_t header[kInfoHeaderBytes];
  WriteInfoHeader(header, packed);
  CMemoryRows memoryRows(rows.get(), packed);
  CheckTiff(packed, palette, memoryRows);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadBitmapFile(data, size);

  // The same bytes as a source's packed bitmap (a native transfer).
  DibLayout packed;
  if (MeasurePackedDib(data, size, packed)) {
    FUZZ_CHECK(packed.FileBytes() - kFileHeaderBytes <= size);
    uint8_t fileHeader[kFileHeaderBytes];
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
