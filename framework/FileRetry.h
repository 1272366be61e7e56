// A file operation tried again while another program holds the file (see InUseRetry.h).
#pragma once

#include <windows.h>

#include "framework/InUseRetry.h"

// Runs `op` (true on success; on failure GetLastError tells why) and, while it fails because
// the file is in use, again every 50 ms for about two seconds. The thread waits meanwhile: no
// message is dispatched, so nothing of the caller can run in between. Afterwards GetLastError
// is the last failure's.
template <typename Op>
bool RetryWhileInUse(Op&& op) {
  const CInUseRetry retry(GetTickCount());
  for (;;) {
    if (op()) return true;
    const DWORD error = GetLastError();
    if (!retry.Again(error, GetTickCount())) {
      SetLastError(error);
      return false;
    }
    Sleep(CInUseRetry::kStepMs);
  }
}
