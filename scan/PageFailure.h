// Why an acquisition's pages ended early, told to the user once per page loop: the source
// stopped (switched off, unplugged, jammed), the disk had no room for the page, the page file
// was held by another program or could not be written.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/String.h"
#include "scan/Twain.h"

class CPageFailure {
 public:
  // A new page loop: nothing has failed.
  void Reset();
  // The source failed a transfer or stopped answering.
  void SourceStopped(const TW_IDENTITY& source);
  // The disk that holds `folder` has `freeBytes` (when known) but the page needs `needed`.
  void NoRoom(const CString& folder, uint64_t needed, bool freeKnown, uint64_t freeBytes);
  // Creating or writing `path` failed with the platform's `error`; the page needs `needed`
  // bytes there.
  void FileFailed(const CString& path, DWORD error, uint64_t needed);
  bool Failed() const { return m_kind != Kind::kNone; }
  // Shows the message of the first failure, once; nothing when nothing failed.
  void Tell();

 private:
  enum class Kind { kNone, kSource, kNoRoom, kInUse, kNotWritten };
  bool Record(Kind kind);

  Kind m_kind = Kind::kNone;
  bool m_told = false;
  CString m_text;
};
