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
#include "framework/FileRetry.h"
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

uint64_t FileSizeOf(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
  return static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool NoRoom(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// Why writing `path` failed with `error`: no room (and what the page needs), the file held by
// another program, or anything else.
Outcome WriteFailure(DWORD error, const CString& path, uint64_t needed, FileTrouble& trouble) {
  trouble.file = path;
  trouble.needed = needed;
  if (NoRoom(error)) return Outcome::kNoRoom;
  return CInUseRetry::IsInUse(error) ? Outcome::kInUse : Outcome::kNotSaved;
}

// A new file in `directory` for writing a page under a temporary name; empty when none can be
// made.
CString TemporaryName(const CString& directory) {
  char temp[MAX_PATH];
  if (!GetTempFileNameA(directory.c_str(), "ovn", 0, temp)) return CString();
  return CString(temp);
}

// A native page arrives as a packed DIB that now belongs to the program: it becomes a bitmap
// file rather than being dropped. Written whole under a temporary name, then renamed.
Outcome WriteNativePage(const CGlobalMemory& page, const CString& directory, const CString& path,
                        FileTrouble& trouble) {
  const CGlobalLock lock(page.Get());
  const void* block = lock.Get();
  if (!block) return Outcome::kNotSaved;
  DibLayout layout;
  if (!MeasurePackedDib(static_cast<const uint8_t*>(block), GlobalSize(page.Get()), layout))
    return Outcome::kNotSaved;
  const CString temp = TemporaryName(directory);
  if (temp.IsEmpty()) return Outcome::kNotSaved;
  uint8_t header[kFileHeaderBytes];
  WriteBitmapFileHeader(layout, header);
  CFile file;
  const bool written = file.Open(temp.c_str(), CFile::kCreate) && file.Write(header, sizeof(header)) &&
                       file.Write(block, static_cast<DWORD>(layout.FileBytes() - kFileHeaderBytes));
  const DWORD error = written ? 0 : file.LastError();
  file.Close();
  Outcome outcome = Outcome::kNotSaved;
  if (!written)
    outcome = WriteFailure(error, directory, layout.FileBytes(), trouble);
  else if (MoveFileExA(temp.c_str(), path.c_str(), 0))
    outcome = Outcome::kFiled;
  if (outcome != Outcome::kFiled) DeleteFileA(temp.c_str());
  return outcome;
}

// The library's page file moved to `fresh`: renamed where it lies on the same disk. A file on
// another disk (a file page on C:), or one that another program holds but lets others read, is
// copied under a temporary name and renamed once whole; the original goes when it can.
Outcome MovePage(const char* source, const CString& directory, const CString& fresh, FileTrouble& trouble) {
  if (RetryWhileInUse([&] { return MoveFileExA(source, fresh.c_str(), 0) != FALSE; })) return Outcome::kFiled;
  const DWORD moveError = GetLastError();
  if (moveError != ERROR_NOT_SAME_DEVICE && !CInUseRetry::IsInUse(moveError)) return Outcome::kNotSaved;
  const CString temp = TemporaryName(directory);
  if (temp.IsEmpty()) return Outcome::kNotSaved;
  if (!CopyFileA(source, temp.c_str(), FALSE)) {
    const DWORD error = GetLastError();
    DeleteFileA(temp.c_str());
    return CInUseRetry::IsInUse(error) ? WriteFailure(error, CString(source), 0, trouble)
                                       : WriteFailure(error, directory, FileSizeOf(source), trouble);
  }
  if (!MoveFileExA(temp.c_str(), fresh.c_str(), 0)) {
    DeleteFileA(temp.c_str());
    return Outcome::kNotSaved;
  }
  DeleteFileA(source);
  return Outcome::kFiled;
}
}  // namespace

Outcome FilePage(const AcquireResult& result, const CString& tempDir, const CString& programDir,
                 CString& currentFile, FileTrouble& trouble) {
  const bool native = result.mechanism == kMechanismNative && result.nativeHandle != 0;
  // A native page's block is the program's now, whatever becomes of the page.
  const CGlobalMemory nativePage(
      native ? reinterpret_cast<HGLOBAL>(static_cast<UINT_PTR>(result.nativeHandle)) : nullptr);
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
    const Outcome written = WriteNativePage(nativePage, tempDir, fresh, trouble);
    if (written != Outcome::kFiled) return written;
  } else {
    // Moved at once: the library writes its next page under the same name.
    const Outcome moved = MovePage(source, tempDir, fresh, trouble);
    if (moved != Outcome::kFiled) return moved;
  }

  const CString shortPath = JobFiles::ShortPath(fresh);
  if (shortPath.GetLength() > kMaxPagePath) return Outcome::kNotSaved;
  currentFile = shortPath;
  return Outcome::kFiled;
}

Compression CompressPage(CString& currentFile, int formatCode, bool keepBilevel, CScanProgressDlg* progress,
                         FileTrouble& trouble) {
  uint64_t freeBytes = 0;
  // When the free space cannot be told the page is compressed anyway: a real shortage makes
  // the save fail, and a failed save leaves the file as it was.
  if (FreeDiskSpace(currentFile.c_str(), freeBytes) && 3 * FileSizeOf(currentFile.c_str()) > freeBytes)
    return Compression::kSkipped;
  const CString compressed = WithExtension(currentFile.str(), formatCode == kImageFormatJpeg ? "JPG" : "TIF");
  if (compressed.GetLength() > kMaxPagePath) return Compression::kSkipped;
  // Written under its own extension (the image's save replaces a file only once the new one is
  // complete), so that neither a failed save nor a failed rename can leave compressed bytes
  // under another format's extension.
  CScanImage image;
  // The rows stay in the file and are compressed band by band, whatever the page's size.
  if (!RetryWhileInUse([&] { return image.Load(currentFile.c_str(), CScanImage::Rows::kLeaveInFile); })) {
    if (!CInUseRetry::IsInUse(GetLastError())) return Compression::kSkipped;
    trouble.file = currentFile;
    return Compression::kInUse;
  }
  if (keepBilevel && image.BitsPerPixel() == 1) return Compression::kSkipped;
  if (progress) progress->SetLine(LoadResourceString(Module::Instance(), IDS_COMPRESSING).c_str());
  const bool saved = image.Save(compressed.c_str(), formatCode, image.BitsPerPixel(), kQuality);
  image.Release();
  if (!saved || lstrcmpiA(compressed.c_str(), currentFile.c_str()) == 0) return Compression::kSkipped;
  // Should the original refuse to go, it stays beside the compressed page, which is handed on.
  const bool removed = RetryWhileInUse([&] { return DeleteFileA(currentFile.c_str()) != FALSE; });
  const bool held = !removed && CInUseRetry::IsInUse(GetLastError());
  if (held) trouble.file = currentFile;
  currentFile = compressed;
  return held ? Compression::kOriginalLeft : Compression::kDone;
}
}  // namespace PageFiling
