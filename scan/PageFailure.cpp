// CPageFailure.
#include "scan/PageFailure.h"

#include <cstring>

#include "framework/DiskSpace.h"
#include "framework/InUseRetry.h"
#include "resources/capturo/resource.h"
#include "scan/ScanText.h"

void CPageFailure::Reset() {
  m_kind = Kind::kNone;
  m_told = false;
  m_text.Empty();
}

bool CPageFailure::Record(Kind kind) {
  if (m_kind != Kind::kNone) return false;  // the first failure is the one that counts
  m_kind = kind;
  return true;
}

void CPageFailure::SourceStopped(const TW_IDENTITY& source) {
  if (!Record(Kind::kSource)) return;
  char name[sizeof(source.ProductName) + 1];
  std::memcpy(name, source.ProductName, sizeof(source.ProductName));
  name[sizeof(source.ProductName)] = '\0';
  m_text = FillPlaceholders(ScanString(IDS_SCANNER_STOPPED), {CString(name)});
}

void CPageFailure::NoRoom(const CString& folder, uint64_t needed, bool freeKnown, uint64_t freeBytes) {
  if (!Record(Kind::kNoRoom)) return;
  m_text = ScanString(IDS_DISK_FULL);
  if (freeKnown) {
    m_text +=
        "\n\n" + FillPlaceholders(ScanString(IDS_DISK_ROOM),
                                  {ByteSizeText(needed), DiskRoot(folder.c_str()), ByteSizeText(freeBytes)});
  }
}

void CPageFailure::FileFailed(const CString& path, DWORD error, uint64_t needed) {
  if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
    uint64_t freeBytes = 0;
    const bool known = FreeDiskSpace(path.c_str(), freeBytes);
    NoRoom(path, needed, known, freeBytes);
    return;
  }
  const bool inUse = CInUseRetry::IsInUse(error);
  if (!Record(inUse ? Kind::kInUse : Kind::kNotWritten)) return;
  m_text = FillPlaceholders(ScanString(inUse ? IDS_PAGE_FILE_IN_USE : IDS_PAGE_NOT_WRITTEN), {path});
}

void CPageFailure::Tell() {
  if (m_kind == Kind::kNone || m_told) return;
  m_told = true;
  ScanWarning(m_text);
}
