// Page files into the PDF writer.
#include "app/output/imaging/PdfFromPages.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/JpegHeader.h"
#include "app/output/imaging/LargeFile.h"
#include "app/output/imaging/PageRows.h"

namespace {

// Pieces of a JPEG file read at once.
const size_t kReadChunk = 256 * 1024;

// A page file opened for reading, closed with the object.
class CPageFile : public CByteReader {
 public:
  explicit CPageFile(const std::string& path) : m_file(std::fopen(path.c_str(), "rb")) {}
  ~CPageFile() override {
    if (m_file) std::fclose(m_file);
  }
  CPageFile(const CPageFile&) = delete;
  CPageFile& operator=(const CPageFile&) = delete;

  bool IsOpen() const { return m_file != nullptr; }
  bool Read(uint8_t* out, size_t size) override {
    return size == 0 || std::fread(out, 1, size, m_file) == size;
  }
  bool Seek(uint64_t offset) { return SeekFileTo(m_file, offset); }
  // The file's length; false when it cannot be told.
  bool Size(uint64_t& size) { return FileLength(m_file, size); }

 private:
  FILE* m_file;
};

// CBitmapFileRows' reader over a page file.
bool ReadAt(void* file, uint64_t offset, uint8_t* to, size_t bytes) {
  CPageFile& page = *static_cast<CPageFile*>(file);
  return page.Seek(offset) && page.Read(to, bytes);
}

using Status = PdfFromPagesResult::Status;

// The acquisition library writes a page's resolution in whole hundreds of pixels per metre,
// which reads back up to 2.5 dpi short (100 dpi as 99): a page that states exactly what the
// scan's resolution becomes that way, or states none, is taken at the scan's resolution.
int PageDpi(int stated, int scanDpi) {
  if (scanDpi <= 0) return stated;
  if (stated == 0) return scanDpi;
  const int32_t stored = static_cast<int32_t>(scanDpi * 100 / 254) * 100;
  return stated == DpiFromPelsPerMeter(stored) ? scanDpi : stated;
}

Status AddJpegPage(CPdfWriter& writer, CPageFile& file, uint64_t size, int scanDpi, const PageText* text) {
  JpegHeader header;
  if (ReadJpegHeader(file, header) != JpegHeaderCheck::kOk) return PdfFromPagesResult::kPageUnsupported;
  CPdfWriter::PageImage image;
  image.samples = CPdfWriter::Samples::kJpeg;
  image.width = header.width;
  image.height = header.height;
  image.xDpi = PageDpi(header.xDpi, scanDpi);
  image.yDpi = PageDpi(header.yDpi, scanDpi);
  image.jpegComponents = header.components;
  image.jpegAdobe = header.adobe;
  image.jpegBytes = size;
  image.text = text;
  if (!file.Seek(0)) return PdfFromPagesResult::kPageUnreadable;
  if (!writer.BeginPage(image)) return PdfFromPagesResult::kCannotWrite;
  std::unique_ptr<uint8_t[]> chunk(new (std::nothrow) uint8_t[kReadChunk]);
  if (!chunk) return PdfFromPagesResult::kCannotWrite;
  for (uint64_t left = size; left > 0;) {
    const size_t piece = left < kReadChunk ? static_cast<size_t>(left) : kReadChunk;
    if (!file.Read(chunk.get(), piece)) return PdfFromPagesResult::kPageUnreadable;
    if (!writer.AddJpegBytes(chunk.get(), piece)) return PdfFromPagesResult::kCannotWrite;
    left -= piece;
  }
  return writer.EndPage() ? PdfFromPagesResult::kOk : PdfFromPagesResult::kCannotWrite;
}

int Luminance(const uint8_t* palette, uint32_t colours, uint32_t index) {
  if (index >= colours) return 0;
  const uint8_t* entry = palette + index * 4;  // blue, green, red
  return (entry[2] * 299 + entry[1] * 587 + entry[0] * 114) / 1000;
}

// Turns one stored row into the writer's samples for the page's kind.
class CRowConverter {
 public:
  CRowConverter(const DibLayout& layout, const uint8_t* palette) : m_layout(layout), m_palette(palette) {
    if (layout.bitsPerPixel == 1) {
      // The darker entry is ink; two equal entries are ink when dark.
      const int zero = Luminance(palette, layout.colours, 0), one = Luminance(palette, layout.colours, 1);
      m_zeroIsInk = zero < one || (zero == one && zero < 128);
      m_oneIsInk = one < zero || (zero == one && one < 128);
      m_samples = CPdfWriter::Samples::kBilevel;
    } else if (layout.bitsPerPixel <= 8 && PaletteIsGrey(palette, layout.colours)) {
      m_samples = CPdfWriter::Samples::kGrey;
    } else {
      m_samples = CPdfWriter::Samples::kRgb;
    }
    m_out.reset(new (std::nothrow) uint8_t[static_cast<size_t>(layout.width) * 3 + 8]);
  }
  // False when there was no memory for a row.
  bool IsReady() const { return m_out != nullptr; }
  CPdfWriter::Samples Samples() const { return m_samples; }

  const uint8_t* Convert(const uint8_t* row) {
    const uint32_t width = m_layout.width;
    uint8_t* out = m_out.get();
    switch (m_samples) {
      case CPdfWriter::Samples::kBilevel:
        for (uint32_t i = 0; i < (width + 7) / 8; ++i)
          out[i] = static_cast<uint8_t>((m_oneIsInk ? row[i] : 0) | (m_zeroIsInk ? ~row[i] : 0));
        break;
      case CPdfWriter::Samples::kGrey:
        ExpandRowToGrey(row, m_layout.bitsPerPixel, m_palette, m_layout.colours, width, out);
        break;
      default:
        ExpandRowToRgb(row, m_layout.bitsPerPixel, m_palette, m_layout.colours, width, out);
        break;
    }
    return out;
  }

 private:
  const DibLayout& m_layout;
  const uint8_t* m_palette;
  CPdfWriter::Samples m_samples;
  bool m_zeroIsInk = false, m_oneIsInk = false;
  std::unique_ptr<uint8_t[]> m_out;
};

// A bitmap file's rows as the compact coder takes them (grey bytes or blue-green-red), read
// from the file anew for each pass.
class CBitmapPixels final : public CPixelSource {
 public:
  CBitmapPixels(const DibLayout& layout, const uint8_t* palette, CPageFile& file)
      : m_layout(layout), m_palette(palette), m_file(file) {
    m_grey = layout.bitsPerPixel <= 8 && PaletteIsGrey(palette, layout.colours);
    m_out.reset(new (std::nothrow) uint8_t[static_cast<size_t>(layout.width) * 3 + 8]);
  }
  int Channels() const { return m_grey ? 1 : 3; }
  bool Rewind() override {
    m_rows.reset(new (std::nothrow) CBitmapFileRows(m_layout, ReadAt, &m_file));
    return m_out && m_rows && m_rows->IsReady();
  }
  const uint8_t* Next() override {
    const uint8_t* stored = m_rows ? m_rows->Next() : nullptr;
    if (!stored || m_layout.bitsPerPixel == 24) return stored;
    if (m_grey)
      ExpandRowToGrey(stored, m_layout.bitsPerPixel, m_palette, m_layout.colours, m_layout.width,
                      m_out.get());
    else
      ExpandRowToBgr(stored, m_layout.bitsPerPixel, m_palette, m_layout.colours, m_layout.width, m_out.get());
    return m_out.get();
  }

 private:
  const DibLayout& m_layout;
  const uint8_t* m_palette;
  CPageFile& m_file;
  bool m_grey = false;
  std::unique_ptr<CBitmapFileRows> m_rows;
  std::unique_ptr<uint8_t[]> m_out;
};

Status AddCompactPage(CPdfWriter& writer, CBitmapPixels& pixels, const DibLayout& layout, int xDpi, int yDpi,
                      CompactQuality quality, const PageText* text) {
  CompactPageInput input;
  input.width = layout.width;
  input.height = layout.height;
  input.channels = pixels.Channels();
  input.dpi = xDpi;
  input.quality = quality;
  CompactPage page;
  switch (MakeCompactPage(pixels, input, page)) {
    case CompactResult::kOk:
      break;
    case CompactResult::kUnreadable:
      return PdfFromPagesResult::kPageUnreadable;
    case CompactResult::kBadInput:
      return PdfFromPagesResult::kPageUnsupported;
    case CompactResult::kNoMemory:
      return PdfFromPagesResult::kCannotWrite;
  }
  if (page.kind == CompactPage::Kind::kWholePicture) {
    CPdfWriter::PageImage image;
    image.width = layout.width;
    image.height = layout.height;
    image.xDpi = xDpi;
    image.yDpi = yDpi;
    image.jpegComponents = page.channels;
    image.jpegBytes = page.picture.size();
    image.text = text;
    const bool written = writer.BeginPage(image) &&
                         writer.AddJpegBytes(page.picture.data(), page.picture.size()) && writer.EndPage();
    return written ? PdfFromPagesResult::kOk : PdfFromPagesResult::kCannotWrite;
  }
  CPdfWriter::LayeredPage layers;
  layers.width = layout.width;
  layers.height = layout.height;
  layers.xDpi = xDpi;
  layers.yDpi = yDpi;
  layers.components = page.channels;
  layers.text = text;
  layers.background = page.background.data();
  layers.backgroundBytes = page.background.size();
  layers.backgroundWidth = page.backgroundWidth;
  layers.backgroundHeight = page.backgroundHeight;
  std::vector<CPdfWriter::Stencil> stencils(page.inks.size());
  for (size_t i = 0; i < page.inks.size(); ++i) {
    const CompactPage::Ink& ink = page.inks[i];
    CPdfWriter::Stencil& stencil = stencils[i];
    stencil.x = ink.x, stencil.y = ink.y, stencil.width = ink.width, stencil.height = ink.height;
    stencil.data = ink.mask.data();
    stencil.bytes = ink.mask.size();
    std::copy(ink.colour, ink.colour + 3, stencil.ink);
  }
  layers.stencils = stencils.data();
  layers.stencilCount = stencils.size();
  if (!page.foreground.empty()) {
    layers.foreground = page.foreground.data();
    layers.foregroundBytes = page.foreground.size();
    layers.foregroundWidth = page.foregroundWidth;
    layers.foregroundHeight = page.foregroundHeight;
  }
  return writer.AddLayeredPage(layers) ? PdfFromPagesResult::kOk : PdfFromPagesResult::kCannotWrite;
}

Status AddBitmapPage(CPdfWriter& writer, CPageFile& file, uint64_t size, int scanDpi,
                     const PdfPageStyle& style, const PageText* text) {
  uint8_t head[kBitmapHeadBytes];
  const size_t headSize = size < sizeof(head) ? static_cast<size_t>(size) : sizeof(head);
  DibLayout layout;
  if (!file.Read(head, headSize)) return PdfFromPagesResult::kPageUnreadable;
  if (ParseBitmapFile(head, headSize, size, layout) != BitmapFileCheck::kOk)
    return PdfFromPagesResult::kPageUnsupported;
  const int xDpi = PageDpi(DpiFromPelsPerMeter(layout.xPelsPerMeter), scanDpi);
  const int yDpi = PageDpi(DpiFromPelsPerMeter(layout.yPelsPerMeter), scanDpi);
  if (style.compact && layout.bitsPerPixel > 1) {
    CBitmapPixels pixels(layout, head + layout.paletteOffset, file);
    return AddCompactPage(writer, pixels, layout, xDpi, yDpi, style.quality, text);
  }
  CRowConverter converter(layout, head + layout.paletteOffset);
  CBitmapFileRows rows(layout, ReadAt, &file);
  if (!converter.IsReady() || !rows.IsReady()) return PdfFromPagesResult::kCannotWrite;
  CPdfWriter::PageImage image;
  image.samples = converter.Samples();
  image.width = layout.width;
  image.height = layout.height;
  image.xDpi = xDpi;
  image.yDpi = yDpi;
  image.text = text;
  if (!writer.BeginPage(image)) return PdfFromPagesResult::kCannotWrite;

  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint8_t* stored = rows.Next();
    if (!stored) return PdfFromPagesResult::kPageUnreadable;
    if (!writer.AddRow(converter.Convert(stored))) return PdfFromPagesResult::kCannotWrite;
  }
  return writer.EndPage() ? PdfFromPagesResult::kOk : PdfFromPagesResult::kCannotWrite;
}

Status AddPage(CPdfWriter& writer, const std::string& path, int scanDpi, const PdfPageStyle& style,
               const PageText* text) {
  CPageFile file(path);
  uint64_t size = 0;
  uint8_t magic[2];
  if (!file.IsOpen() || !file.Size(size)) return PdfFromPagesResult::kPageUnreadable;
  if (size < 2 || !file.Read(magic, 2) || !file.Seek(0)) return PdfFromPagesResult::kPageUnsupported;
  if (magic[0] == 0xFF && magic[1] == 0xD8) return AddJpegPage(writer, file, size, scanDpi, text);
  if (magic[0] == 'B' && magic[1] == 'M') return AddBitmapPage(writer, file, size, scanDpi, style, text);
  return PdfFromPagesResult::kPageUnsupported;
}

bool WriteToFile(void* context, const uint8_t* data, size_t size) {
  return std::fwrite(data, 1, size, static_cast<FILE*>(context)) == size;
}

}  // namespace

PdfFromPagesResult WritePdfFromPages(const std::string& outputPath, const std::vector<std::string>& pages,
                                     int scanDpi, const LocalTime& created, const PdfPageStyle& style) {
  PdfFromPagesResult result;
  if (pages.empty()) {
    result.status = PdfFromPagesResult::kNoPages;
    return result;
  }
  FILE* output = std::fopen(outputPath.c_str(), "wb");
  if (!output) {
    result.status = PdfFromPagesResult::kCannotWrite;
    return result;
  }
  CPdfWriter writer;
  bool written = writer.Begin(WriteToFile, output, created);
  for (size_t page = 0; written && page < pages.size(); ++page) {
    const PageText* text = style.texts && page < style.texts->size() ? &(*style.texts)[page] : nullptr;
    result.status = AddPage(writer, pages[page], scanDpi, style, text);
    result.page = page;
    written = result.status == PdfFromPagesResult::kOk;
  }
  if (written) written = writer.Finish();
  // A file that is not whole on the disk is no PDF either.
  if (std::fclose(output) != 0) written = false;
  if (!written) {
    if (result.status == PdfFromPagesResult::kOk) result.status = PdfFromPagesResult::kCannotWrite;
    std::remove(outputPath.c_str());
  }
  return result;
}
