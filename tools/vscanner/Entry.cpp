// The virtual scanner's module: its entry point DS_Entry and its module handle.
#include <windows.h>

#include "tools/vscanner/DataSource.h"

extern "C" __declspec(dllexport) TW_UINT16 WINAPI
    DS_Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  return CDataSource::Instance().Entry(origin, dg, dat, msg, data);
}
