// CScanImage: page files in and out, the pixels held once as a packed bitmap.
#include "app/output/imaging/ScanImage.h"

#include <cstring>
#include <memory>
#include <new>

#include "app/output/imaging/GdiplusCodec.h"
#include "app/output/imaging/PageRows.h"
#include "app/output/imaging/PageWriters.h"

namespace {

const DWORD kReadChunk = 16 * 1024 * 1024;
const uint64_t kLargestBlock = 0x7FFFFFFFu;  // no single block of a 32-bit process gets bigger

bool Widen(const char* path, wchar_t (&out)[MAX_PATH]) {
  return path && MultiByteToWideChar(CP_ACP, 0, path, -1, out, MAX_PATH) > 0;
}

bool ReadExactly(HANDLE file, uint8_t* to, uint64_t bytes) {
  while (bytes > 0) {
    const DWORD chunk = bytes > kReadChunk ? kReadChunk : static_cast<DWORD>(bytes);
    DWORD got = 0;
    if (!ReadFile(file, to, chunk, &got, nullptr) || got != chunk) return false;
    to += chunk;
    bytes -= chunk;
  }
  return true;
}

HANDLE OpenForReading(const char* path) {
  // Others may read, write and replace the file while we read it.
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// A file opened for reading with its head checked as a bitmap file.
struct ProbedFile {
  CFileHandle file;
  uint8_t head[kBitmapHeadBytes];
  DibLayout layout;
  bool readable = false;
  BitmapFileCheck check = BitmapFileCheck::kNotBitmap;

  explicit ProbedFile(const char* path) : file(OpenForReading(path)) {
    LARGE_INTEGER length;
    if (!file || !GetFileSizeEx(file.Get(), &length)) return;
    const uint64_t size = static_cast<uint64_t>(length.QuadPart);
    const DWORD want =
        size < kBitmapHeadBytes ? static_cast<DWORD>(size) : static_cast<DWORD>(kBitmapHeadBytes);
    DWORD got = 0;
    readable = ReadFile(file.Get(), head, want, &got, nullptr) && got == want;
    if (readable) check = ParseBitmapFile(head, got, size, layout);
  }
  // True when the file is for GDI+ rather than our bitmap reader.
  bool ForGdiplus() const {
    return readable && (check == BitmapFileCheck::kNotBitmap || check == BitmapFileCheck::kUnsupported);
  }
};

// A packed bitmap block for `layout`, its header written; without room for the rows when they
// stay in the file.
HGLOBAL AllocatePacked(const DibLayout& layout, bool withRows = true) {
  const uint64_t total = kInfoHeaderBytes + layout.colours * 4ull + (withRows ? layout.imageBytes : 0);
  if (total > kLargestBlock) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(total));
  if (block) WriteInfoHeader(static_cast<uint8_t*>(static_cast<void*>(block)), layout);
  return block;
}

bool WriteToFile(void* file, const uint8_t* data, size_t size) {
  DWORD written = 0;
  return WriteFile(static_cast<HANDLE>(file), data, static_cast<DWORD>(size), &written, nullptr) &&
         written == size;
}

bool ReadFromFile(void* file, uint64_t offset, uint8_t* to, size_t bytes) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(static_cast<HANDLE>(file), at, nullptr, FILE_BEGIN) &&
         ReadExactly(static_cast<HANDLE>(file), to, bytes);
}

// A plain bitmap file's rows (as `fileLayout` places them) read whole into a new packed bitmap
// of `layout` (bottom-up) with `palette`: no decoder and no second copy.
HGLOBAL ReadBitmapRows(HANDLE file, const DibLayout& fileLayout, const DibLayout& layout,
                       const uint8_t* palette) {
  HGLOBAL block = AllocatePacked(layout);
  if (!block) return nullptr;
  CGlobalMemory owner(block);
  uint8_t* base = static_cast<uint8_t*>(static_cast<void*>(block));
  std::memcpy(base + kInfoHeaderBytes, palette, layout.colours * 4);
  uint8_t* rows = base + kInfoHeaderBytes + layout.colours * 4;
  if (!ReadFromFile(file, fileLayout.pixelOffset, rows, layout.imageBytes)) return nullptr;
  if (fileLayout.topDown) FlipRows(rows, static_cast<size_t>(layout.rowBytes), layout.height);
  return owner.Release();
}

}  // namespace

void CScanImage::SetFileOptions() {}

CScanImage::CScanImage() = default;
CScanImage::~CScanImage() { Release(); }

bool CScanImage::IsImageFile(const char* path) {
  ProbedFile probe(path);
  if (!probe.ForGdiplus()) return probe.readable && probe.check == BitmapFileCheck::kOk;
  probe.file.Reset();
  wchar_t wide[MAX_PATH];
  return Widen(path, wide) && gdiplus_codec::CanDecode(wide);
}

bool CScanImage::Load(const char* path, Rows rows) {
  Release();
  ProbedFile probe(path);
  if (probe.readable && probe.check == BitmapFileCheck::kOk) {
    DibLayout layout = probe.layout;
    layout.topDown = false;
    const uint8_t* palette = probe.head + probe.layout.paletteOffset;
    const int xDpi = DpiFromPelsPerMeter(layout.xPelsPerMeter),
              yDpi = DpiFromPelsPerMeter(layout.yPelsPerMeter);
    if (rows == Rows::kRead) {
      HGLOBAL block = ReadBitmapRows(probe.file.Get(), probe.layout, layout, palette);
      if (block) Adopt(block, layout, xDpi, yDpi);
      return block != nullptr;
    }
    HGLOBAL head = AllocatePacked(layout, false);
    if (!head) return false;
    std::memcpy(static_cast<uint8_t*>(static_cast<void*>(head)) + kInfoHeaderBytes, palette,
                layout.colours * 4);
    Adopt(head, layout, xDpi, yDpi);
    m_rowFile = std::move(probe.file);
    m_rowFileLayout = probe.layout;
    return true;
  }
  if (!probe.ForGdiplus()) return false;
  probe.file.Reset();
  wchar_t wide[MAX_PATH];
  gdiplus_codec::Decoded decoded;
  if (!Widen(path, wide) || !gdiplus_codec::Decode(wide, decoded)) return false;
  Adopt(decoded.dib, decoded.layout, decoded.xDpi, decoded.yDpi);
  return true;
}

bool CScanImage::ReadRowsIn() {
  if (!m_rowFile) return true;
  HGLOBAL block = ReadBitmapRows(m_rowFile.Get(), m_rowFileLayout, m_layout, Palette());
  if (!block) return false;
  m_rowFile.Reset();
  Adopt(block, m_layout, m_xResolution, m_yResolution);
  return true;
}

bool CScanImage::Save(const char* path, int formatCode, int bitsPerPixel, int quality) {
  if (!IsLoaded() || !path || (formatCode != kImageFormatJpeg && formatCode != kImageFormatTiff))
    return false;
  // The new file is made beside the target and replaces it only when it is complete.
  char directory[MAX_PATH];
  if (lstrlenA(path) >= MAX_PATH - 14) return false;
  lstrcpynA(directory, path, MAX_PATH);
  char* slash = nullptr;
  for (char* p = directory; *p; ++p)
    if (*p == '\\' || *p == '/') slash = p;
  if (slash) {
    slash[slash == directory ? 1 : 0] = '\0';
  } else {
    lstrcpynA(directory, ".", MAX_PATH);
  }
  char temp[MAX_PATH];
  if (!GetTempFileNameA(directory, "ovn", 0, temp)) return false;

  CFileHandle file(
      CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  bool ok = file && WritePage(file.Get(), formatCode, quality);
  file.Reset();
  if (m_rowFile) Release();  // its file may be the target: closed before it is replaced
  ok = ok && MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING);
  if (!ok) DeleteFileA(temp);
  return ok;
}

bool CScanImage::WritePage(HANDLE file, int formatCode, int quality) {
  PageOutput output;
  output.xDpi = m_xResolution;
  output.yDpi = m_yResolution;
  output.quality = quality;
  output.sink = WriteToFile;
  output.context = file;
  auto write = [&](CPageRows& rows) {
    return formatCode == kImageFormatJpeg ? WriteJpegPage(m_layout, Palette(), rows, output)
                                          : WriteTiffPage(m_layout, Palette(), rows, output);
  };
  if (!m_rowFile) {
    CMemoryRows rows(StoredRows(), m_layout);
    return write(rows);
  }
  CBitmapFileRows rows(m_rowFileLayout, ReadFromFile, m_rowFile.Get());
  return rows.IsReady() && write(rows);
}

bool CScanImage::ConvertTo24Bits() {
  if (!IsLoaded() || !ReadRowsIn()) return false;
  if (m_layout.bitsPerPixel == 24) return true;
  DibLayout layout = m_layout;
  layout.bitsPerPixel = 24;
  layout.colours = 0;
  layout.rowBytes = DibRowBytes(layout.width, 24);
  layout.imageBytes = layout.rowBytes * layout.height;
  HGLOBAL block = layout.rowBytes ? AllocatePacked(layout) : nullptr;
  if (!block) return false;
  uint8_t* rows = static_cast<uint8_t*>(static_cast<void*>(block)) + kInfoHeaderBytes;
  for (uint32_t r = 0; r < layout.height; ++r)
    ExpandRowToBgr(StoredRows() + static_cast<size_t>(m_layout.rowBytes) * r, m_layout.bitsPerPixel,
                   Palette(), m_layout.colours, layout.width,
                   rows + static_cast<size_t>(layout.rowBytes) * r);
  Adopt(block, layout, m_xResolution, m_yResolution);
  return true;
}

HGLOBAL CScanImage::PackedBitmap() { return ReadRowsIn() ? m_packed.Get() : nullptr; }

void CScanImage::Release() {
  m_rowFile.Reset();
  m_packed.Reset();
  m_layout = DibLayout();
  m_xResolution = m_yResolution = 0;
}

bool CScanImage::IsLoaded() const { return m_packed.IsValid(); }

void CScanImage::SetResolution(int x, int y) {
  m_xResolution = x;
  m_yResolution = y;
  if (!m_packed) return;
  m_layout.xPelsPerMeter = PelsPerMeterFromDpi(x);
  m_layout.yPelsPerMeter = PelsPerMeterFromDpi(y);
  WriteInfoHeader(static_cast<uint8_t*>(static_cast<void*>(m_packed.Get())), m_layout);
}

const uint8_t* CScanImage::Palette() const {
  return static_cast<const uint8_t*>(static_cast<const void*>(m_packed.Get())) + kInfoHeaderBytes;
}

const uint8_t* CScanImage::StoredRows() const { return Palette() + m_layout.colours * 4; }

void CScanImage::Adopt(HGLOBAL packed, const DibLayout& layout, int xDpi, int yDpi) {
  if (m_packed.Get() != packed) m_packed.Reset(packed);
  m_layout = layout;
  m_xResolution = xDpi;
  m_yResolution = yDpi;
}
