// Starting another program.
#pragma once

#include <windows.h>

#include "framework/Handles.h"
#include "framework/String.h"

// Starts `commandLine` with its window shown as `show` says; the process's handle (empty when
// it did not start). The started program runs on its own: nothing waits for it to be idle.
CKernelHandle StartProcess(const CString& commandLine, WORD show);
