// CPrinterSettings: the application's printer settings, a device mode and device names as a
// print-setup dialog returns them, and the printer DC made from them.
#pragma once

#include <windows.h>

#include "framework/Handles.h"
#include "framework/String.h"

class CPrinterSettings {
 public:
  // Takes the default printer's settings as a print-setup dialog with `flags` would, without
  // showing it. False (settings cleared) when there is no usable default printer.
  bool LoadDefault(DWORD flags);
  bool IsSet() const { return m_devMode.IsValid() && m_devNames.IsValid(); }
  void Clear();

  // The device mode, locked for changes; null when there is none or its block is smaller than
  // it says. Fields past dmSize are not there. Unlock with GlobalUnlock(DevMode()).
  DEVMODEA* LockDevMode() const;
  HGLOBAL DevMode() const { return m_devMode.Get(); }

  // The printer's device name; empty without settings.
  CString DeviceName() const;
  // A printer DC for the settings; invalid when it cannot be made.
  CDeviceContext CreatePrinterDC() const;

 private:
  struct Names {
    CString driver;
    CString device;
    CString port;
  };
  bool ReadNames(Names* names) const;

  CGlobalMemory m_devMode;
  CGlobalMemory m_devNames;
};
