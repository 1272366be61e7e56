// Filing a scanned page: the library's page file moved (or a native page written) into the
// job's TEMP directory under a fresh name, and compressed for the destinations that want it.
#pragma once

#include <windows.h>

#include "framework/String.h"
#include "scan/AcquireApi.h"

class CScanProgressDlg;

namespace PageFiling {
// Files the page of `result` in `tempDir`; `currentFile` receives the short path of the filed
// page. False when it cannot be filed (the directory cannot be made, no free name, the
// library's file is missing or cannot be moved, an invalid native page).
bool FilePage(const AcquireResult& result, const CString& tempDir, const CString& programDir,
              char (&currentFile)[256]);
// Compresses `currentFile` to `formatCode` (10 JPEG, 3 TIFF) at quality 50 unless the drive has
// less than three times the file's size free; then renames it to the format's extension.
// A page that cannot be loaded or saved keeps its file.
void CompressPage(char (&currentFile)[256], int formatCode, CScanProgressDlg* progress);
}  // namespace PageFiling
