// CDefaultPrinterSwitch.
#include "app/output/DefaultPrinter.h"

#include <windows.h>
#include <winspool.h>

#include "app/output/PrintRules.h"
#include "framework/Profile.h"

namespace {

const DWORD kProfileText = 256;  // 255 characters and the terminator

CString PlatformDefault() {
  char name[kProfileText] = {};
  DWORD size = sizeof(name);
  if (!GetDefaultPrinterA(name, &size)) return CString();
  name[sizeof(name) - 1] = '\0';
  return CString(name);
}

void WriteDevice(const CString& value) {
  // No value at all is put back as no default, not as an empty printer name.
  WriteProfileStringA("windows", "device", value.IsEmpty() ? nullptr : value.c_str());
}

}  // namespace

CDefaultPrinterSwitch::CDefaultPrinterSwitch()
    : m_savedDevice(ReadSystemProfileText("windows", "device", "", kProfileText)),
      m_savedDefault(PlatformDefault()) {}

CDefaultPrinterSwitch::~CDefaultPrinterSwitch() { Restore(); }

bool CDefaultPrinterSwitch::SwitchTo(const CString& name) {
  if (name.IsEmpty()) return false;
  const CString value =
      PrintRules::DeviceValue(name, ReadSystemProfileText("Devices", name, "", kProfileText));
  if (value.IsEmpty()) return false;
  m_switched = true;
  WriteDevice(value);
  // Some platforms keep the default printer apart from the profile.
  if (PlatformDefault().CompareNoCase(name) != 0) SetDefaultPrinterA(name.c_str());
  if (PlatformDefault().CompareNoCase(name) != 0) {
    Restore();
    return false;
  }
  return true;
}

void CDefaultPrinterSwitch::Restore() {
  if (!m_switched) return;
  m_switched = false;
  WriteDevice(m_savedDevice);
  if (!m_savedDefault.IsEmpty() && PlatformDefault().CompareNoCase(m_savedDefault) != 0)
    SetDefaultPrinterA(m_savedDefault.c_str());
}
