// Filing and compressing a scanned page.
#include "app/PageFiling.h"

#include <cstring>

#include "app/FreshName.h"
#include "app/JobFiles.h"
#include "app/ScanProgressDlg.h"
#include "app/output/imaging/PackedDib.h"
#include "app/output/imaging/ScanImage.h"
#include "framework/DiskSpace.h"
#include "framework/File.h"
#include "framework/Module.h"
#include "resources/orvane/resource.h"

namespace PageFiling {
namespace {
const int kQuality = 50;
const uint8_t kMechanismNative = 0;
const uint8_t kMechanismFile = 1;
const uint8_t kMechanismMemory = 2;

const char* ExtensionOf(uint8_t mechanism) {
  switch (mechanism) {
    case kMechanismFile:
      return ".TIF";
    case kMechanismMemory:
      return ".BMP";
    default:
      return "";
  }
}

// A native page arrives as a packed DIB that now belongs to the program: it becomes a bitmap
// file rather than being dropped.
bool WriteNativePage(HGLOBAL page, const CString& path) {
  const void* block = page ? GlobalLock(page) : nullptr;
  if (!block) return false;
  PackedDibLayout layout;
  bool ok = MeasurePackedDib(static_cast<const uint8_t*>(block), GlobalSize(page), layout);
  if (ok) {
    uint8_t header[14];
    WriteBitmapFileHeader(layout, header);
    CFile file;
    ok = file.Open(path.c_str(), CFile::kCreate) && file.Write(header, sizeof(header)) &&
         file.Write(block, layout.headerBytes + layout.pixelBytes);
    file.Close();
    if (!ok) DeleteFileA(path.c_str());
  }
  GlobalUnlock(page);
  return ok;
}

uint64_t FileSizeOf(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
  return static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}
}  // namespace

Outcome FilePage(const AcquireResult& result, const CString& tempDir, const CString& programDir,
                 CString& currentFile) {
  const bool native = result.mechanism == kMechanismNative && result.nativeHandle != 0;
  char source[sizeof(result.filePath) + 1];
  std::memcpy(source, result.filePath, sizeof(result.filePath));
  source[sizeof(result.filePath)] = '\0';
  if (!native && (!source[0] || !JobFiles::FileExists(source))) return Outcome::kNoPage;

  if (!JobFiles::EnsureDirectory(tempDir, programDir)) return Outcome::kNotSaved;
  const char* extension = native ? ".BMP" : ExtensionOf(result.mechanism);
  // A page of this job may already carry any of these extensions under the same name (a
  // batch's PDF is named after its first page).
  const CString fresh = JobFiles::FreshFileName(tempDir, extension, {".BMP", ".TIF", ".JPG", ".PDF", ""});
  if (fresh.IsEmpty()) return Outcome::kNotSaved;

  if (native) {
    HGLOBAL page = reinterpret_cast<HGLOBAL>(static_cast<UINT_PTR>(result.nativeHandle));
    const bool written = WriteNativePage(page, fresh);
    GlobalFree(page);
    if (!written) return Outcome::kNotSaved;
  } else {
    // Moved at once: the library writes its next page under the same name. A file page lies on
    // drive C:, which need not be the program's drive: then it is copied over.
    if (!MoveFileExA(source, fresh.c_str(), MOVEFILE_COPY_ALLOWED)) return Outcome::kNotSaved;
  }

  const CString shortPath = JobFiles::ShortPath(fresh);
  if (shortPath.GetLength() > kMaxPagePath) return Outcome::kNotSaved;
  currentFile = shortPath;
  return Outcome::kFiled;
}

void CompressPage(CString& currentFile, int formatCode, bool keepBilevel, CScanProgressDlg* progress) {
  uint64_t freeBytes = 0;
  // When the free space cannot be told the page is compressed anyway: a real shortage makes
  // the save fail, and a failed save leaves the file as it was.
  if (FreeDiskSpace(currentFile.c_str(), freeBytes) && 3 * FileSizeOf(currentFile.c_str()) > freeBytes)
    return;
  const CString compressed = WithExtension(currentFile.str(), formatCode == kImageFormatJpeg ? "JPG" : "TIF");
  if (compressed.GetLength() > kMaxPagePath) return;
  // Written under its own extension (the image's save replaces a file only once the new one is
  // complete), so that neither a failed save nor a failed rename can leave compressed bytes
  // under another format's extension.
  CScanImage image;
  // The rows stay in the file and are compressed band by band, whatever the page's size.
  if (!image.Load(currentFile.c_str(), CScanImage::Rows::kLeaveInFile) ||
      (keepBilevel && image.BitsPerPixel() == 1))
    return;
  if (progress) progress->SetLine(LoadResourceString(Module::Instance(), IDS_COMPRESSING).c_str());
  const bool saved = image.Save(compressed.c_str(), formatCode, image.BitsPerPixel(), kQuality);
  image.Release();
  if (!saved || lstrcmpiA(compressed.c_str(), currentFile.c_str()) == 0) return;
  // Should the original refuse to go, it stays beside the compressed page, which is handed on.
  DeleteFileA(currentFile.c_str());
  currentFile = compressed;
}
}  // namespace PageFiling
