// The page clean-up over bitmap files.
#include "app/output/imaging/PageCleanup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "app/output/imaging/BandRotation.h"
#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/GreyCells.h"
#include "app/output/imaging/LargeFile.h"
#include "app/output/imaging/LittleEndian.h"
#include "app/output/imaging/PageRows.h"

namespace {

const int kAssumedDpi = 300;     // a page that states no resolution
const double kLeastTurn = 0.05;  // degrees: less is left as it is
const uint8_t kPaper[3] = {255, 255, 255};
const size_t kWriteBandBytes = 1024 * 1024;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

bool ReadAt(void* context, uint64_t offset, uint8_t* to, size_t bytes) {
  FILE* file = static_cast<FILE*>(context);
  return SeekFileTo(file, offset) && std::fread(to, 1, bytes, file) == bytes;
}

// A bitmap file open for reading, its layout and palette checked.
class CScanFile {
 public:
  bool Open(const std::string& path) {
    m_file.reset(std::fopen(path.c_str(), "rb"));
    uint64_t end = 0;
    if (!m_file || !FileLength(m_file.get(), end) || end == 0) return false;
    const size_t headSize = end < sizeof(m_head) ? static_cast<size_t>(end) : sizeof(m_head);
    if (!ReadAt(m_file.get(), 0, m_head, headSize)) return false;
    return ParseBitmapFile(m_head, headSize, end, m_layout) == BitmapFileCheck::kOk &&
           m_layout.bitsPerPixel != 16 && m_layout.bitsPerPixel != 32;
  }
  const DibLayout& Layout() const { return m_layout; }
  const uint8_t* Palette() const { return m_head + m_layout.paletteOffset; }
  FILE* Handle() const { return m_file.get(); }
  int Dpi() const {
    const int dpi = DpiFromPelsPerMeter(m_layout.xPelsPerMeter);
    return dpi > 0 ? dpi : kAssumedDpi;
  }

 private:
  FilePtr m_file;
  uint8_t m_head[kBitmapHeadBytes] = {};
  DibLayout m_layout;
};

// The file's rows top first as blue-green-red triples, whatever its depth.
class CBgrRows final : public CPageRows {
 public:
  explicit CBgrRows(const CScanFile& file) : m_file(file), m_rows(file.Layout(), ReadAt, file.Handle()) {
    if (file.Layout().bitsPerPixel != 24)
      m_row.reset(new (std::nothrow) uint8_t[(static_cast<size_t>(file.Layout().width) * 3 + 3) / 4 * 4]());
  }
  bool IsReady() const { return m_rows.IsReady() && (m_file.Layout().bitsPerPixel == 24 || m_row); }
  const uint8_t* Next() override {
    const uint8_t* row = m_rows.Next();
    if (!row || m_file.Layout().bitsPerPixel == 24) return row;
    const DibLayout& layout = m_file.Layout();
    ExpandRowToBgr(row, layout.bitsPerPixel, m_file.Palette(), layout.colours, layout.width, m_row.get());
    return m_row.get();
  }

 private:
  const CScanFile& m_file;
  CBitmapFileRows m_rows;
  std::unique_ptr<uint8_t[]> m_row;
};

// The depth a turned page keeps: line art stays one bit (black and white), a grey page eight
// bits of grey; any other page becomes 24-bit colour.
uint16_t KeptDepth(const CScanFile& scan) {
  const DibLayout& layout = scan.Layout();
  if (layout.bitsPerPixel == 1) return 1;
  if (layout.bitsPerPixel <= 8 && PaletteIsGrey(scan.Palette(), layout.colours)) return 8;
  return 24;
}

// Turned rows (blue, green, red) at the depth kept. A line-art pixel is black when the turned
// page there is at least half dark: a stroke one pixel wide, sampled between two pixels, keeps
// at least one of them.
class CKeptDepthRows final : public CPageRows {
 public:
  CKeptDepthRows(CPageRows& turned, uint32_t width, uint16_t bits)
      : m_turned(turned), m_width(width), m_bits(bits) {
    if (bits != 24) m_row.reset(new (std::nothrow) uint8_t[static_cast<size_t>(DibRowBytes(width, bits))]());
  }
  bool IsReady() const { return m_bits == 24 || m_row; }
  const uint8_t* Next() override {
    const uint8_t* row = m_turned.Next();
    if (!row || m_bits == 24) return row;
    uint8_t* out = m_row.get();
    if (m_bits == 8) {
      for (uint32_t x = 0; x < m_width; ++x) out[x] = Grey(row + 3 * static_cast<size_t>(x));
      return out;
    }
    std::memset(out, 0, static_cast<size_t>(DibRowBytes(m_width, 1)));
    for (uint32_t x = 0; x < m_width; ++x)
      if (Grey(row + 3 * static_cast<size_t>(x)) > kLineArtMiddle)
        out[x >> 3] = static_cast<uint8_t>(out[x >> 3] | (0x80u >> (x & 7)));  // 1: white
    return out;
  }

 private:
  static const int kLineArtMiddle = 128;
  static uint8_t Grey(const uint8_t* bgr) {
    return static_cast<uint8_t>((bgr[0] * 29 + bgr[1] * 150 + bgr[2] * 77 + 128) >> 8);
  }
  CPageRows& m_turned;
  uint32_t m_width;
  uint16_t m_bits;
  std::unique_ptr<uint8_t[]> m_row;
};

// Writes `rows` (top first, at `bits` 1, 8 with a grey palette, or 24) as a bottom-up bitmap
// file at `path`; removes it on failure. Rows are gathered a band at a time and each band
// written with one seek, the lowest rows of the file last in it.
bool WriteBitmap(const std::string& path, CPageRows& rows, uint32_t width, uint32_t height, uint16_t bits,
                 int32_t pelsX, int32_t pelsY) {
  DibLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bitsPerPixel = bits;
  layout.colours = bits == 24 ? 0 : 1u << bits;
  layout.rowBytes = DibRowBytes(width, bits);
  layout.imageBytes = layout.rowBytes * height;
  layout.pixelOffset = static_cast<uint32_t>(kFileHeaderBytes + kInfoHeaderBytes + 4 * layout.colours);
  layout.xPelsPerMeter = pelsX;
  layout.yPelsPerMeter = pelsY;
  if (layout.rowBytes == 0 || layout.FileBytes() > 0xFFFFFFFFull) return false;
  const size_t rowBytes = static_cast<size_t>(layout.rowBytes);
  const uint32_t bandRows =
      static_cast<uint32_t>(std::max<size_t>(1, std::min<size_t>(64, kWriteBandBytes / rowBytes)));
  std::unique_ptr<uint8_t[]> band(new (std::nothrow) uint8_t[rowBytes * bandRows]);
  if (!band) return false;
  uint8_t head[kFileHeaderBytes + kInfoHeaderBytes + 4 * 256] = {'B', 'M'};
  WriteLe32(head + 2, static_cast<uint32_t>(layout.FileBytes()));
  const uint32_t offset = layout.pixelOffset;
  WriteLe32(head + 10, offset);
  WriteInfoHeader(head + kFileHeaderBytes, layout);
  for (uint32_t i = 0; i < layout.colours; ++i) {
    uint8_t* entry = head + kFileHeaderBytes + kInfoHeaderBytes + 4 * i;
    entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i * 255 / (layout.colours - 1));
  }
  FilePtr file(std::fopen(path.c_str(), "wb"));
  bool ok = file && std::fwrite(head, 1, offset, file.get()) == offset;
  for (uint32_t top = 0; ok && top < height; top += bandRows) {
    const uint32_t count = std::min(bandRows, height - top);
    // The band's top row is stored last of it.
    for (uint32_t i = 0; ok && i < count; ++i) {
      const uint8_t* row = rows.Next();
      ok = row != nullptr;
      if (ok) std::memcpy(band.get() + rowBytes * (count - 1 - i), row, rowBytes);
    }
    ok = ok && SeekFileTo(file.get(), offset + static_cast<uint64_t>(height - top - count) * rowBytes) &&
         std::fwrite(band.get(), 1, rowBytes * count, file.get()) == rowBytes * count;
  }
  if (file && std::fclose(file.release()) != 0) ok = false;
  if (!ok) std::remove(path.c_str());
  return ok;
}

CleanupOutcome Turn(const CScanFile& scan, const std::string& out, CleanupFigures& figures) {
  const DibLayout& layout = scan.Layout();
  CBgrRows rows(scan);
  if (!rows.IsReady()) return CleanupOutcome::kFailed;
  CBandRotation rotation(rows, layout.width, layout.height, figures.box, figures.width, figures.height,
                         kPaper);
  if (!rotation.Begin()) return CleanupOutcome::kFailed;
  figures.heldBytes = rotation.HeldBytes();
  const uint16_t bits = KeptDepth(scan);
  CKeptDepthRows kept(rotation, figures.width, bits);
  if (!kept.IsReady()) return CleanupOutcome::kFailed;
  return WriteBitmap(out, kept, figures.width, figures.height, bits, layout.xPelsPerMeter,
                     layout.yPelsPerMeter)
             ? CleanupOutcome::kWritten
             : CleanupOutcome::kFailed;
}

}  // namespace

uint32_t EdgeInset(int dpi) { return 2 + static_cast<uint32_t>(dpi > 0 ? dpi : kAssumedDpi) / 300; }

CleanupOutcome StraightenScan(const std::string& in, const std::string& out, CleanupFigures& figures) {
  CScanFile scan;
  if (!scan.Open(in)) return CleanupOutcome::kFailed;
  const DibLayout& layout = scan.Layout();
  CDocumentEdges edges;
  CBgrRows rows(scan);
  if (!rows.IsReady() || !edges.Begin(layout.width, layout.height, 3)) return CleanupOutcome::kFailed;
  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint8_t* row = rows.Next();
    if (!row) return CleanupOutcome::kFailed;
    edges.AddRow(row);
  }
  if (!edges.Measure(figures.box)) return CleanupOutcome::kUnchanged;
  const double inset = 2.0 * EdgeInset(scan.Dpi());
  if (figures.box.width <= inset + 1 || figures.box.height <= inset + 1) return CleanupOutcome::kUnchanged;
  figures.width = static_cast<uint32_t>(std::floor(figures.box.width - inset));
  figures.height = static_cast<uint32_t>(std::floor(figures.box.height - inset));
  return Turn(scan, out, figures);
}

CleanupOutcome DeskewScan(const std::string& in, const std::string& out, CleanupFigures& figures) {
  CScanFile scan;
  if (!scan.Open(in)) return CleanupOutcome::kFailed;
  const DibLayout& layout = scan.Layout();
  CGreyCells cells;
  CBgrRows rows(scan);
  const uint32_t side = scan.Dpi() >= 300 ? static_cast<uint32_t>(scan.Dpi() / 150) : 1u;
  if (!rows.IsReady() || !cells.Begin(layout.width, layout.height, 3, side)) return CleanupOutcome::kFailed;
  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint8_t* row = rows.Next();
    if (!row) return CleanupOutcome::kFailed;
    cells.AddRow(row);
  }
  figures.skew = MeasureTextSkew(cells);
  if (!figures.skew.confident || std::fabs(figures.skew.degrees) < kLeastTurn)
    return CleanupOutcome::kUnchanged;
  figures.box = TurnedBox{layout.width / 2.0, layout.height / 2.0, static_cast<double>(layout.width),
                          static_cast<double>(layout.height), figures.skew.degrees};
  figures.width = layout.width;
  figures.height = layout.height;
  return Turn(scan, out, figures);
}

bool MeasureBlankScan(const std::string& in, BlankMeasure& measure) {
  CScanFile scan;
  if (!scan.Open(in)) return false;
  const DibLayout& layout = scan.Layout();
  CGreyCells cells;
  CBgrRows rows(scan);
  if (!rows.IsReady() || !cells.Begin(layout.width, layout.height, 3, BlankCellSide(scan.Dpi())))
    return false;
  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint8_t* row = rows.Next();
    if (!row) return false;
    cells.AddRow(row);
  }
  measure = MeasureBlank(cells);
  return true;
}
