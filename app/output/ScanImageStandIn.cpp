// CScanImage for bitmap files only, standing in for the imaging component until it is built:
// enough to load and print a scanned page.
#include <cstring>
#include <vector>

#include "app/output/PackedDib.h"
#include "app/output/ScanImage.h"
#include "framework/File.h"

namespace {

const DWORD kFileHeader = 14;
const DWORD kLargestFile = 512u << 20;

int DotsPerInch(int32_t pixelsPerMeter) {
  return pixelsPerMeter > 0 ? static_cast<int>((pixelsPerMeter * 254LL + 5000) / 10000) : 0;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  CFile file;
  if (!file.Open(path, CFile::kRead)) return false;
  const int64_t length = file.GetLength();
  if (length < kFileHeader || length > kLargestFile) return false;
  bytes->resize(static_cast<size_t>(length));
  DWORD read = 0;
  return file.Read(bytes->data(), static_cast<DWORD>(length), &read) && read == length;
}

}  // namespace

bool CScanImage::StartUp() { return true; }
void CScanImage::ShutDown() {}

bool CScanImage::IsImageFile(const char* path) {
  CFile file;
  char magic[2] = {};
  DWORD read = 0;
  return file.Open(path, CFile::kRead) && file.Read(magic, 2, &read) && read == 2 && magic[0] == 'B' &&
         magic[1] == 'M';
}

void CScanImage::SetFileOptions() {}

CScanImage::CScanImage() = default;
CScanImage::~CScanImage() { Release(); }

bool CScanImage::Load(const char* path) {
  Release();
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, &bytes) || bytes[0] != 'B' || bytes[1] != 'M') return false;
  uint32_t bitsAt = 0;
  memcpy(&bitsAt, &bytes[10], sizeof(bitsAt));
  PackedDibLayout layout;
  const uint8_t* dib = bytes.data() + kFileHeader;
  const size_t dibSize = bytes.size() - kFileHeader;
  // Header and colour table as stored, then the rows from where the file header says.
  if (!ReadPackedDibLayout(dib, dibSize, &layout) || bitsAt < kFileHeader + layout.bitsOffset) return false;
  const size_t rows = layout.stride * layout.height;
  if (bitsAt > bytes.size() || bytes.size() - bitsAt < rows) return false;
  CGlobalMemory packed(GlobalAlloc(GMEM_MOVEABLE, layout.bitsOffset + rows));
  if (!packed) return false;
  {
    CGlobalLock lock(packed.Get());
    auto* target = static_cast<uint8_t*>(lock.Get());
    if (!target) return false;
    memcpy(target, dib, layout.bitsOffset);
    memcpy(target + layout.bitsOffset, bytes.data() + bitsAt, rows);
  }
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib);
  m_width = layout.width;
  m_height = layout.height;
  m_bitsPerPixel = header->biBitCount;
  m_xResolution = DotsPerInch(header->biXPelsPerMeter);
  m_yResolution = DotsPerInch(header->biYPelsPerMeter);
  m_packed = packed.Release();
  m_bitmap = m_packed;
  return true;
}

bool CScanImage::Save(const char*, int, int, int) { return false; }

bool CScanImage::ConvertTo24Bits() { return false; }

HGLOBAL CScanImage::PackedBitmap() { return m_packed; }

void CScanImage::Release() {
  if (m_packed) GlobalFree(m_packed);
  m_packed = nullptr;
  m_bitmap = nullptr;
  m_width = m_height = m_bitsPerPixel = m_xResolution = m_yResolution = 0;
}

bool CScanImage::IsLoaded() const { return m_packed != nullptr; }
