// The page loop of an acquisition: native, file and memory pages, the bitmap file of the
// memory mechanism written strip by strip, progress notices, cancel and clean-up.
#include <cstring>

#include "framework/DiskSpace.h"
#include "framework/File.h"
#include "framework/FileRetry.h"
#include "framework/MessagePump.h"
#include "framework/PumpPacer.h"
#include "scan/Acquisition.h"
#include "scan/BitmapFile.h"
#include "scan/PageFolder.h"
#include "scan/StripAssembler.h"

namespace {
// The page file seen through the strip assembler.
class CPageFile : public IPageFile {
 public:
  explicit CPageFile(CFile& file) : m_file(file) {}
  bool ReadAt(uint64_t offset, void* data, size_t size) override {
    if (!m_file.Seek(static_cast<int64_t>(offset))) return false;
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
      DWORD got = 0;
      if (!m_file.Read(bytes, static_cast<DWORD>(size), &got) || got == 0) return false;
      bytes += got;
      size -= got;
    }
    return true;
  }
  bool WriteAt(uint64_t offset, const void* data, size_t size) override {
    return m_file.Seek(static_cast<int64_t>(offset)) && m_file.Write(data, static_cast<DWORD>(size));
  }

 private:
  CFile& m_file;
};

}  // namespace

void CAcquisition::SendResult(HWND window, bool withRecord) {
  if (!withRecord) {
    m_toldEnd = true;
    m_failure.Tell();
  }
  SendMessageA(window, WM_ACQ_RESULT, 0, withRecord ? reinterpret_cast<LPARAM>(&m_result) : 0);
}

// A quit request stays queued for the program's own loop.
int CAcquisition::PumpMessages() { return MessagePump::DispatchAllQueued(); }

bool CAcquisition::EndTransfer() {
  TW_PENDINGXFERS pending;
  std::memset(&pending, 0, sizeof(pending));
  if (m_twain.CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS) {
    // A source that cannot even end a transfer has stopped (unless the user's stop ended it).
    pending.Count = 0;
    if (!m_cancel) m_failure.SourceStopped(m_twain.Source());
  }
  m_pending = pending.Count;
  return m_pending != 0;
}

// Ends an acquisition whose pages cannot go on: the program hears that no page follows
// (once), and the source and the manager are closed.
void CAcquisition::Abandon(HWND window) {
  m_pending = 0;
  if (!m_toldEnd) SendResult(window, false);
  CloseEverything();
}

void CAcquisition::TransferPages(HWND window) {
  int infoFailures = 0;
  m_toldEnd = false;
  m_failure.Reset();
  do {
    TW_IMAGEINFO info;
    std::memset(&info, 0, sizeof(info));
    if (m_twain.CallSource(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS) {
      // Skip the page; a source that keeps failing cannot hold the loop.
      EndTransfer();
      if (++infoFailures >= kMaxImageInfoFailures || m_pending == 0) {
        m_failure.SourceStopped(m_twain.Source());
        Abandon(window);
        return;
      }
      continue;
    }
    infoFailures = 0;
    if (m_mechanism == TWSX_MEMORY) {
      const bool ok = MemoryPage(window, info);
      if (!ok) Abandon(window);
      PumpMessages();
      if (!ok) return;
    } else if (!NativeOrFilePage(window, m_mechanism == TWSX_FILE)) {
      Abandon(window);
      return;
    }
  } while (m_pending != 0);
  // The batch ended short without a failed page (the source could not end a transfer).
  m_failure.Tell();
}

bool CAcquisition::NativeOrFilePage(HWND window, bool file) {
  TW_UINT16 rc = TWRC_FAILURE;
  for (int attempt = 0; attempt < kMaxPageAttempts; ++attempt) {
    if (file) {
      rc = m_twain.CallSource(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
      if (rc == TWRC_XFERDONE)
        CString(m_fileSetup.FileName).CopyTo(m_result.filePath, sizeof(m_result.filePath));
      else
        m_result.filePath[0] = '\0';
    } else {
      TW_HANDLE handle = nullptr;
      rc = m_twain.CallSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
      // Any other outcome gives no handle: a stale one would be owned twice.
      m_result.nativeHandle =
          rc == TWRC_XFERDONE ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)) : 0;
    }
    EndTransfer();
    SendResult(window, true);
    if (rc == TWRC_XFERDONE) return true;
    if (m_pending == 0) break;  // the source has nothing left to try again with
  }
  // A page cancelled at the scanner or by the user is no failure of the scanner's.
  if (rc == TWRC_FAILURE && !m_cancel) m_failure.SourceStopped(m_twain.Source());
  return false;
}

bool CAcquisition::MemoryPage(HWND window, const TW_IMAGEINFO& info) {
  const CString path = PageFolder::Path() + "TWN00000.BMP";
  for (int attempt = 0; attempt < kMaxPageAttempts; ++attempt) {
    switch (MemoryPageOnce(window, info, path)) {
      case PageOutcome::kDone:
        return true;
      case PageOutcome::kFailed:
        return false;
      case PageOutcome::kRetry:
        if (m_pending == 0) return false;
        break;
    }
  }
  return false;
}

CAcquisition::PageOutcome CAcquisition::MemoryPageOnce(HWND window, const TW_IMAGEINFO& info,
                                                       const CString& path) {
  TW_SETUPMEMXFER setup;
  std::memset(&setup, 0, sizeof(setup));
  if (m_twain.CallSource(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS ||
      setup.Preferred == 0) {
    m_failure.SourceStopped(m_twain.Source());
    return PageOutcome::kFailed;
  }
  BitmapLayout layout;
  if (ComputeBitmapLayout(PageInfoFrom(info), &layout) != LayoutError::kNone) {
    // An unsupported page (other pixel type, rows wider than the stride allows, ...) leaves
    // no file behind.
    DeleteFileA(path.c_str());
    return PageOutcome::kFailed;
  }
  uint64_t freeBytes = 0;
  const bool freeKnown = FreeDiskSpace(path.c_str(), freeBytes);
  if (!freeKnown || freeBytes < layout.expectedSize) {
    m_failure.NoRoom(path, layout.expectedSize, freeKnown, freeBytes);
    return PageOutcome::kFailed;
  }
  CGlobalMemory buffer(GlobalAlloc(GHND, setup.Preferred));
  if (!buffer) return PageOutcome::kFailed;
  CGlobalLock lock(buffer.Get());
  uint8_t* memory = static_cast<uint8_t*>(lock.Get());
  if (!memory) return PageOutcome::kFailed;

  // Another program (an indexer, a virus scanner) may hold the file for a moment.
  CFile file;
  if (!RetryWhileInUse([&] { return file.Open(path.c_str(), CFile::kCreate); })) {
    m_failure.FileFailed(path, GetLastError(), layout.fileSize);
    return PageOutcome::kFailed;
  }
  uint8_t headers[54 + 4 * 256];
  WriteBitmapHeaders(layout, headers);
  if (!file.Write(headers, layout.offBits) || !file.SetLength(static_cast<int64_t>(layout.fileSize)) ||
      file.GetLength() != static_cast<int64_t>(layout.fileSize)) {
    m_failure.FileFailed(path, file.LastError(), layout.fileSize);
    file.Close();
    DeleteFileA(path.c_str());
    return PageOutcome::kFailed;
  }

  const uint32_t strips = StripCount(layout.expectedSize, setup.Preferred);
  SendMessageA(window, WM_ACQ_PROGRESS, 0, static_cast<LPARAM>(strips));
  WPARAM index = 1;
  CStripAssembler assembler(layout);
  CPageFile pageFile(file);
  auto abandonPage = [&]() {
    m_pending = 0;
    file.Close();
    DeleteFileA(path.c_str());
    m_result.filePath[0] = '\0';
    SendResult(window, false);
    return PageOutcome::kFailed;
  };
  TW_UINT16 rc;
  CPumpPacer pump;
  for (;;) {
    TW_IMAGEMEMXFER strip;
    std::memset(&strip, 0, sizeof(strip));
    strip.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    strip.Memory.Length = setup.Preferred;
    strip.Memory.TheMem = memory;
    if (m_cancel) return abandonPage();
    rc = m_twain.CallSource(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
    if (rc == TWRC_FAILURE) m_failure.SourceStopped(m_twain.Source());
    if (rc == TWRC_FAILURE || rc == TWRC_CANCEL) return abandonPage();
    SendMessageA(window, WM_ACQ_PROGRESS, index++, 0);
    // Emptying the queue costs a trip to the window system: between strips it is done at every
    // strip while messages come and every few milliseconds while none do, which keeps the
    // program's handlers (Stop) responsive.
    const DWORD now = GetTickCount();
    if (pump.Due(now)) pump.Looked(now, PumpMessages() > 0);
    if (rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) {
      StripDesc desc;
      desc.columns = strip.Columns;
      desc.rows = strip.Rows;
      desc.bytesPerRow = strip.BytesPerRow;
      desc.bytesWritten = strip.BytesWritten;
      // A strip that does not fit its buffer or the page ends the page unwritten; so does a
      // write that fails although the free space sufficed (another program filled the disk).
      const StripError placed = assembler.Place(desc, memory, setup.Preferred, pageFile);
      if (placed == StripError::kWrite) m_failure.FileFailed(path, file.LastError(), layout.fileSize);
      if (placed != StripError::kNone) return abandonPage();
    }
    if (rc == TWRC_SUCCESS) continue;
    if (rc == TWRC_XFERDONE) {
      // A page is done only when every row of every plane has arrived.
      if (!assembler.PassComplete()) return abandonPage();
      if (assembler.NextPass()) continue;
    }
    break;
  }
  file.Close();
  if (rc == TWRC_XFERDONE) {
    path.CopyTo(m_result.filePath, sizeof(m_result.filePath));
  } else {
    m_result.filePath[0] = '\0';
    DeleteFileA(path.c_str());
  }
  m_result.morePending = EndTransfer() ? 1 : 0;
  SendResult(window, true);
  return rc == TWRC_XFERDONE ? PageOutcome::kDone : PageOutcome::kRetry;
}
