// The acquisition library's interface as the program and the library share it: the request
// and result records, the window messages and the types of the seven exported operations.
#pragma once

#include <windows.h>

#include <cstdint>

#include "scan/AcquireRecords.h"

const UINT WM_ACQ_RESULT = WM_USER + 106;
const UINT WM_ACQ_CLOSED = WM_USER + 119;
const UINT WM_ACQ_PROGRESS = WM_USER + 120;

typedef int(WINAPI* DcAppProcessMsgProcFn)(MSG* msg, HWND window);
typedef void(WINAPI* DcAppTerminateDSFn)();
typedef int(WINAPI* DcAppAcqProcFn)(AcquireRequest* request);
typedef void(WINAPI* DcAppInitProcFn)(HWND window);
typedef uint16_t(WINAPI* DcAppSelectDSProcFn)();
typedef const char*(WINAPI* TWAppGetDSInfoFn)();
typedef uint16_t(WINAPI* TWEndXferFn)();
// The choice of scanner (TWAIN or network), owned by a window: 1 when a choice was kept.
typedef int(WINAPI* DcAppChooseScannerProcFn)(HWND owner);
