// Filing a scanned page: the library's page file moved (or a native page written) into the
// job's TEMP directory under a fresh name, and compressed for the destinations that want it.
#pragma once

#include <windows.h>

#include "framework/String.h"
#include "scan/AcquireApi.h"

class CScanProgressDlg;

namespace PageFiling {
enum class Outcome {
  kFiled,
  kNoPage,    // the scanner delivered no page (it failed, or the transfer was cancelled)
  kNotSaved,  // TEMP cannot be made, no free name, the page cannot be moved or written there
};
// The longest path a job's page may have (the destination's 256-character field).
const int kMaxPagePath = 255;

// Files the page of `result` in `tempDir`; `currentFile` receives the short path of the filed
// page.
Outcome FilePage(const AcquireResult& result, const CString& tempDir, const CString& programDir,
                 CString& currentFile);
// Compresses `currentFile` to `formatCode` (10 JPEG, 3 TIFF) at quality 50 unless the drive has
// less than three times the file's size free. The compressed page is written under the
// format's extension and the original removed, so a file's extension always names its
// content; a page that cannot be loaded or saved keeps its file. With `keepBilevel` a black-
// and-white page stays as it is (it goes into a PDF as fax coding, never as JPEG).
void CompressPage(CString& currentFile, int formatCode, bool keepBilevel, CScanProgressDlg* progress);
}  // namespace PageFiling
