// CPrinterSettings.
#include "framework/PrinterSettings.h"

#include <commdlg.h>

#include <cstddef>

namespace {

// The zero-terminated text at `offset` of a block of `size` bytes; false when it runs past it.
bool TextInBlock(const char* block, SIZE_T size, WORD offset, CString* text) {
  if (offset >= size) return false;
  const char* start = block + offset;
  const SIZE_T room = size - offset;
  SIZE_T length = 0;
  while (length < room && start[length] != '\0') ++length;
  if (length == room) return false;
  *text = CString(start, length);
  return true;
}

}  // namespace

bool CPrinterSettings::LoadDefault(DWORD flags) {
  Clear();
  PRINTDLGA dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.Flags = flags | PD_RETURNDEFAULT;
  if (!PrintDlgA(&dialog)) return false;
  m_devMode.Reset(dialog.hDevMode);
  m_devNames.Reset(dialog.hDevNames);
  Names names;
  if (!IsSet() || !ReadNames(&names) || names.device.IsEmpty()) {
    Clear();
    return false;
  }
  return true;
}

void CPrinterSettings::Clear() {
  m_devMode.Reset();
  m_devNames.Reset();
}

DEVMODEA* CPrinterSettings::LockDevMode() const {
  if (!m_devMode.IsValid()) return nullptr;
  const SIZE_T size = GlobalSize(m_devMode.Get());
  auto* mode = static_cast<DEVMODEA*>(GlobalLock(m_devMode.Get()));
  if (!mode) return nullptr;
  // The driver's own data follows the public part; both must lie inside the block.
  if (size < offsetof(DEVMODEA, dmFields) + sizeof(DWORD) ||
      mode->dmSize < offsetof(DEVMODEA, dmFields) + sizeof(DWORD) ||
      size < static_cast<SIZE_T>(mode->dmSize) + mode->dmDriverExtra) {
    GlobalUnlock(m_devMode.Get());
    return nullptr;
  }
  return mode;
}

bool CPrinterSettings::ReadNames(Names* names) const {
  if (!m_devNames.IsValid()) return false;
  const SIZE_T size = GlobalSize(m_devNames.Get());
  CGlobalLock lock(m_devNames.Get());
  const auto* block = static_cast<const char*>(lock.Get());
  if (!block || size < sizeof(DEVNAMES)) return false;
  const auto* header = reinterpret_cast<const DEVNAMES*>(block);
  return TextInBlock(block, size, header->wDriverOffset, &names->driver) &&
         TextInBlock(block, size, header->wDeviceOffset, &names->device) &&
         TextInBlock(block, size, header->wOutputOffset, &names->port);
}

CString CPrinterSettings::DeviceName() const {
  Names names;
  return ReadNames(&names) ? names.device : CString();
}

CDeviceContext CPrinterSettings::CreatePrinterDC() const {
  Names names;
  if (!ReadNames(&names)) return CDeviceContext();
  DEVMODEA* mode = LockDevMode();
  if (!mode) return CDeviceContext();
  HDC dc = CreateDCA(names.driver.c_str(), names.device.c_str(),
                     names.port.IsEmpty() ? nullptr : names.port.c_str(), mode);
  GlobalUnlock(m_devMode.Get());
  return CDeviceContext(dc);
}
