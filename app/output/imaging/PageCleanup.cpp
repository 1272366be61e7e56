// The page clean-up over bitmap files.
#include "app/output/imaging/PageCleanup.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "app/output/imaging/BandRotation.h"
#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/GreyCells.h"
#include "app/output/imaging/LittleEndian.h"
#include "app/output/imaging/PageRows.h"

namespace {

const int kAssumedDpi = 300;     // a page that states no resolution
const double kLeastTurn = 0.05;  // degrees: less is left as it is
const uint8_t kPaper[3] = {255, 255, 255};

int Seek(FILE* file, uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<int64_t>(offset), SEEK_SET);
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

bool ReadAt(void* context, uint64_t offset, uint8_t* to, size_t bytes) {
  FILE* file = static_cast<FILE*>(context);
  return Seek(file, offset) == 0 && std::fread(to, 1, bytes, file) == bytes;
}

// A bitmap file open for reading, its layout and palette checked.
class CScanFile {
 public:
  bool Open(const std::string& path) {
    m_file.reset(std::fopen(path.c_str(), "rb"));
    if (!m_file || Seek(m_file.get(), 0) != 0) return false;
#ifdef _WIN32
    if (_fseeki64(m_file.get(), 0, SEEK_END) != 0) return false;
    const int64_t end = _ftelli64(m_file.get());
#else
    if (fseeko(m_file.get(), 0, SEEK_END) != 0) return false;
    const int64_t end = ftello(m_file.get());
#endif
    if (end <= 0) return false;
    const size_t headSize =
        static_cast<uint64_t>(end) < sizeof(m_head) ? static_cast<size_t>(end) : sizeof(m_head);
    if (!ReadAt(m_file.get(), 0, m_head, headSize)) return false;
    return ParseBitmapFile(m_head, headSize, static_cast<uint64_t>(end), m_layout) == BitmapFileCheck::kOk &&
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

// Writes `rows` (24-bit, top first) as a bottom-up bitmap file at `path`; removes it on failure.
bool WriteBitmap(const std::string& path, CPageRows& rows, uint32_t width, uint32_t height, int32_t pelsX,
                 int32_t pelsY) {
  DibLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bitsPerPixel = 24;
  layout.rowBytes = DibRowBytes(width, 24);
  layout.imageBytes = layout.rowBytes * height;
  layout.pixelOffset = kFileHeaderBytes + kInfoHeaderBytes;
  layout.xPelsPerMeter = pelsX;
  layout.yPelsPerMeter = pelsY;
  if (layout.rowBytes == 0 || layout.FileBytes() > 0xFFFFFFFFull) return false;
  uint8_t head[kFileHeaderBytes + kInfoHeaderBytes] = {'B', 'M'};
  WriteLe32(head + 2, static_cast<uint32_t>(layout.FileBytes()));
  const uint32_t offset = layout.pixelOffset;
  WriteLe32(head + 10, offset);
  WriteInfoHeader(head + kFileHeaderBytes, layout);
  FilePtr file(std::fopen(path.c_str(), "wb"));
  bool ok = file && std::fwrite(head, 1, sizeof(head), file.get()) == sizeof(head);
  for (uint32_t y = 0; ok && y < height; ++y) {
    const uint8_t* row = rows.Next();
    ok = row && Seek(file.get(), offset + static_cast<uint64_t>(height - 1 - y) * layout.rowBytes) == 0 &&
         std::fwrite(row, 1, static_cast<size_t>(layout.rowBytes), file.get()) == layout.rowBytes;
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
  return WriteBitmap(out, rotation, figures.width, figures.height, layout.xPelsPerMeter, layout.yPelsPerMeter)
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
