// Filing a scanned page: the library's page file moved (or a native page written) into the
// job's TEMP directory under a fresh name, and compressed for the destinations that want it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/String.h"
#include "scan/AcquireApi.h"

class CScanProgressDlg;

namespace PageFiling {
enum class Outcome {
  kFiled,
  kNoPage,    // the scanner delivered no page (it failed, or the transfer was cancelled)
  kNotSaved,  // TEMP cannot be made, no free name, the page cannot be moved or written there
  kInUse,     // the page's file is held by another program (beyond the retries)
  kNoRoom,    // the disk has no room for the page
};
// The file behind a kInUse (or the compression's kInUse, kOriginalLeft), or the disk of a
// kNoRoom with what the page needs there.
struct FileTrouble {
  CString file;
  uint64_t needed = 0;
};
// The longest path a job's page may have (the destination's 256-character field).
const int kMaxPagePath = 255;

// Files the page of `result` in `tempDir`; `currentFile` receives the short path of the filed
// page. A page written or copied there is written under a temporary name first and renamed when
// it is whole; a file another program holds is tried again for about two seconds, and copied
// when it can still be read.
Outcome FilePage(const AcquireResult& result, const CString& tempDir, const CString& programDir,
                 CString& currentFile, FileTrouble& trouble);

enum class Compression {
  kDone,          // `currentFile` names the compressed page
  kSkipped,       // too little room, or the page cannot be loaded or saved: it goes on as it came
  kInUse,         // the page is held by another program and goes on as it came
  kOriginalLeft,  // compressed, but the original is held by another program and stays
};
// Compresses `currentFile` to `formatCode` (10 JPEG, 3 TIFF) at quality 50 unless the drive has
// less than three times the file's size free. The compressed page is written under the
// format's extension and the original removed, so a file's extension always names its
// content; a page that cannot be loaded or saved keeps its file. With `keepBilevel` a black-
// and-white page stays as it is (it goes into a PDF as fax coding, never as JPEG).
Compression CompressPage(CString& currentFile, int formatCode, bool keepBilevel, CScanProgressDlg* progress,
                         FileTrouble& trouble);
}  // namespace PageFiling
