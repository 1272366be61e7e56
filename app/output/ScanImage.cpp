// CScanImage: page files in and out, the pixels held once as a packed bitmap.
#include "app/output/ScanImage.h"

#include <cstring>
#include <memory>
#include <new>

#include "app/output/GdiplusCodec.h"
#include "app/output/JpegEncoder.h"
#include "framework/Handles.h"

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

HGLOBAL AllocatePacked(const DibLayout& layout) {
  const uint64_t total = kInfoHeaderBytes + layout.colours * 4ull + layout.imageBytes;
  if (total > kLargestBlock) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(total));
  if (block) WriteInfoHeader(static_cast<uint8_t*>(static_cast<void*>(block)), layout);
  return block;
}

struct FileSink {
  HANDLE file;
  static bool Write(void* context, const uint8_t* data, size_t size) {
    DWORD written = 0;
    return WriteFile(static_cast<FileSink*>(context)->file, data, static_cast<DWORD>(size), &written,
                     nullptr) &&
           written == size;
  }
};

}  // namespace

bool CScanImage::StartUp() { return gdiplus_codec::StartUp(); }
void CScanImage::ShutDown() { gdiplus_codec::ShutDown(); }
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

bool CScanImage::Load(const char* path) {
  Release();
  ProbedFile probe(path);
  if (probe.readable && probe.check == BitmapFileCheck::kOk)
    return LoadBitmapFile(probe.file.Get(), probe.layout, probe.head);
  if (!probe.ForGdiplus()) return false;
  probe.file.Reset();
  wchar_t wide[MAX_PATH];
  gdiplus_codec::Decoded decoded;
  if (!Widen(path, wide) || !gdiplus_codec::Decode(wide, decoded)) return false;
  Adopt(decoded.dib, decoded.layout, decoded.xDpi, decoded.yDpi);
  return true;
}

// A plain bitmap file is a packed bitmap behind a file header: the rows are read straight
// into place, with no decoder and no second copy.
bool CScanImage::LoadBitmapFile(HANDLE file, const DibLayout& fileLayout, const uint8_t* head) {
  DibLayout layout = fileLayout;
  layout.topDown = false;
  HGLOBAL block = AllocatePacked(layout);
  if (!block) return false;
  CGlobalMemory owner(block);
  uint8_t* base = static_cast<uint8_t*>(static_cast<void*>(block));
  std::memcpy(base + kInfoHeaderBytes, head + fileLayout.paletteOffset, layout.colours * 4);
  uint8_t* rows = base + kInfoHeaderBytes + layout.colours * 4;
  LARGE_INTEGER at;
  at.QuadPart = fileLayout.pixelOffset;
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !ReadExactly(file, rows, layout.imageBytes))
    return false;
  if (fileLayout.topDown) {
    const size_t rowBytes = static_cast<size_t>(layout.rowBytes);
    std::unique_ptr<uint8_t[]> spare(new (std::nothrow) uint8_t[rowBytes]);
    if (!spare) return false;
    for (uint32_t top = 0, bottom = layout.height - 1; top < bottom; ++top, --bottom) {
      std::memcpy(spare.get(), rows + top * rowBytes, rowBytes);
      std::memcpy(rows + top * rowBytes, rows + bottom * rowBytes, rowBytes);
      std::memcpy(rows + bottom * rowBytes, spare.get(), rowBytes);
    }
  }
  Adopt(owner.Release(), layout, DpiFromPelsPerMeter(layout.xPelsPerMeter),
        DpiFromPelsPerMeter(layout.yPelsPerMeter));
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

  bool ok = false;
  if (formatCode == kImageFormatJpeg) {
    CFileHandle file(
        CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file && WriteJpeg(file.Get(), quality);
  } else {
    wchar_t wide[MAX_PATH];
    ok = Widen(temp, wide) &&
         gdiplus_codec::WriteTiff(wide, m_layout, Palette(), Rows(), m_xResolution, m_yResolution);
  }
  ok = ok && MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING);
  if (!ok) DeleteFileA(temp);
  return ok;
}

bool CScanImage::WriteJpeg(HANDLE file, int quality) const {
  // JPEG's sides end at 65535: a wider page is refused before its row buffer is sized.
  if (m_layout.width > 65535) return false;
  const bool grey = m_layout.bitsPerPixel <= 8 && PaletteIsGrey(Palette(), m_layout.colours);
  CJpegEncoder::Settings settings;
  settings.width = m_layout.width;
  settings.height = m_layout.height;
  settings.layout = grey ? CJpegEncoder::Layout::kGrey : CJpegEncoder::Layout::kBgr;
  settings.quality = quality;
  settings.xDpi = m_xResolution;
  settings.yDpi = m_yResolution;
  std::unique_ptr<CJpegEncoder> encoder(new (std::nothrow) CJpegEncoder);
  std::unique_ptr<uint8_t[]> row;
  if (m_layout.bitsPerPixel != 24)
    row.reset(new (std::nothrow) uint8_t[static_cast<size_t>(m_layout.width) * 3]);
  FileSink sink{file};
  if (!encoder || (m_layout.bitsPerPixel != 24 && !row) || !encoder->Begin(settings, FileSink::Write, &sink))
    return false;
  const size_t rowBytes = static_cast<size_t>(m_layout.rowBytes);
  for (uint32_t y = 0; y < m_layout.height; ++y) {
    const uint8_t* stored = Rows() + rowBytes * (m_layout.height - 1 - y);  // the top row first
    if (m_layout.bitsPerPixel != 24) {
      if (grey) {
        ExpandRowToGrey(stored, m_layout.bitsPerPixel, Palette(), m_layout.colours, m_layout.width,
                        row.get());
      } else {
        ExpandRowToBgr(stored, m_layout.bitsPerPixel, Palette(), m_layout.colours, m_layout.width, row.get());
      }
      stored = row.get();
    }
    if (!encoder->AddRow(stored)) return false;
  }
  return encoder->Finish();
}

bool CScanImage::ConvertTo24Bits() {
  if (!IsLoaded()) return false;
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
    ExpandRowToBgr(Rows() + static_cast<size_t>(m_layout.rowBytes) * r, m_layout.bitsPerPixel, Palette(),
                   m_layout.colours, layout.width, rows + static_cast<size_t>(layout.rowBytes) * r);
  Adopt(block, layout, m_xResolution, m_yResolution);
  return true;
}

HGLOBAL CScanImage::PackedBitmap() { return m_packed; }

void CScanImage::Release() {
  if (m_packed) GlobalFree(m_packed);
  m_packed = nullptr;
  m_layout = DibLayout();
  m_xResolution = m_yResolution = 0;
}

bool CScanImage::IsLoaded() const { return m_packed != nullptr; }

void CScanImage::SetResolution(int x, int y) {
  m_xResolution = x;
  m_yResolution = y;
  if (!m_packed) return;
  m_layout.xPelsPerMeter = PelsPerMeterFromDpi(x);
  m_layout.yPelsPerMeter = PelsPerMeterFromDpi(y);
  WriteInfoHeader(static_cast<uint8_t*>(static_cast<void*>(m_packed)), m_layout);
}

const uint8_t* CScanImage::Palette() const {
  return static_cast<const uint8_t*>(static_cast<const void*>(m_packed)) + kInfoHeaderBytes;
}

const uint8_t* CScanImage::Rows() const { return Palette() + m_layout.colours * 4; }

void CScanImage::Adopt(HGLOBAL packed, const DibLayout& layout, int xDpi, int yDpi) {
  if (m_packed && m_packed != packed) GlobalFree(m_packed);
  m_packed = packed;
  m_layout = layout;
  m_xResolution = xDpi;
  m_yResolution = yDpi;
}
