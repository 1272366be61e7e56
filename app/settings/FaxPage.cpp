// CFaxPage.
#include "app/settings/FaxPage.h"

#include "app/PanelRules.h"
#include "app/ProgramContext.h"
#include "app/settings/CopyPage.h"
#include "app/settings/PageRules.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Profile.h"
#include "resources/orvane/pages.h"
#include "resources/orvane/panel.h"
#include "resources/orvane/resource.h"

namespace {
const SPageIdentity kFaxIdentity = {
    Panel::kFax, IDD_FAX_PAGE,    "FAXBK",        Keys::kFaxSetting, IDS_TITLE_IMAGE + 2, IDC_FAX_PAPER, 0,
    IDC_FAX_RES, IDC_FAX_SETTING, IDB_PRINTER_UP, IDB_PRINTER_DOWN,  IDB_PRINTER_FOCUS,   4000,          4007,
};
// The installed printers' names are read in one block of this many bytes.
const DWORD kDeviceListBytes = 1100;
}  // namespace

CFaxPage::CFaxPage() : CSettingsPage(kFaxIdentity) {
  m_labels = {{IDC_FAX_PAPER_LABEL, 40, 80}, {IDC_FAX_RES_LABEL, 83, 135}};
  m_cleanupBoxes = {{IDC_STRAIGHTEN, 15, 165},
                    {IDC_EACH_DOCUMENT, 175, 165},
                    {IDC_DESKEW, 15, 185},
                    {IDC_LEAVE_OUT_BLANK, 15, 205}};
}

void CFaxPage::LoadOwnValues() {
  const CProgramContext& app = Program();
  const CString defaultEntry = ReadSystemProfileText("windows", "device", Keys::kNull, 255);
  const CString stored = ReadText(Keys::kOutputDevice, Keys::kNull, 255);
  const CStringArray installed = ReadSystemProfileKeys("Devices", kDeviceListBytes);
  // An empty marker would make every printer a fax driver.
  CString marker = app.LocalText(IDS_FAX_MARKER);
  if (marker.IsEmpty()) marker = "FAX";
  m_faxDevice =
      PageRules::ChooseFaxDevice(defaultEntry, stored, installed, marker, app.LocalText(IDS_DEVICE_NONE));
}

void CFaxPage::LayoutOwn() { PlaceButtonAndBox(IDC_FAX_DEVICE_BOX); }

void CFaxPage::PaintOwn(HDC dc) { DrawTextBox(dc, IDC_FAX_DEVICE_BOX, m_faxDevice); }

void CFaxPage::OnOwnButton() {
  CString device;
  int copies = 1;
  if (!ChoosePrinter(m_hWnd, device, copies)) return;
  m_faxDevice = device;
  RepaintControlArea(IDC_FAX_DEVICE_BOX);
}

bool CFaxPage::Store(DestinationValues&) {
  const CProgramContext& app = Program();
  if (PageRules::EqualsNoCase(m_faxDevice, app.LocalText(IDS_DEVICE_NONE))) {
    Message(app.LocalText(IDS_DRIVER_NOT_SET), app.WindowTitle());
    return false;
  }
  WriteInt(Keys::kResolution, Selection(IDC_FAX_RES, 1));
  WriteInt(Keys::kDocumentSize, Selection(IDC_FAX_PAPER, 0));
  StoreCleanup();
  WriteText(Keys::kOutputDevice, m_faxDevice.c_str());
  return true;
}
