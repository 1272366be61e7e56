// CCopyPage.
#include "app/settings/CopyPage.h"

#include <commctrl.h>
#include <commdlg.h>

#include "app/PanelRules.h"
#include "app/ProgramContext.h"
#include "app/settings/PageRules.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Profile.h"
#include "resources/orvane/pages.h"
#include "resources/orvane/panel.h"
#include "resources/orvane/resource.h"

namespace {
const SPageIdentity kCopyIdentity = {
    Panel::kCopy,
    IDD_COPY_PAGE,
    "COPYBK",
    Keys::kCopySetting,
    IDS_TITLE_IMAGE + 1,
    IDC_COPY_PAPER,
    IDC_COPY_MODE,
    IDC_COPY_RES,
    IDC_COPY_PRINTER,
    IDB_PRINTER_UP,
    IDB_PRINTER_DOWN,
    IDB_PRINTER_FOCUS,
    2000,
    2015,
};
const int kScalingMin = 1, kScalingMax = 999;
const int kCopiesMin = 1, kCopiesMax = 100;
}  // namespace

CCopyPage::CCopyPage() : CSettingsPage(kCopyIdentity) {
  m_labels = {{IDC_COPY_PAPER_LABEL, 15, 40},    {IDC_COPY_MODE_LABEL, 38, 70}, {IDC_COPY_RES_LABEL, 58, 100},
              {IDC_COPY_SCALING_LABEL, 30, 140}, {IDC_COPY_CENTER_V, 30, 170},  {IDC_COPY_CENTER_H, 30, 200}};
  // No room for the clean-up check boxes below the centring: their key in the title strip.
  m_cleanupKey = IDC_COPY_CLEANUP;
}

void CCopyPage::Prepare() {
  HWND spin = GetDlgItem(IDC_COPY_SCALING_SPIN);
  ::SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(IDC_COPY_SCALING)), 0);
  ::SendMessageA(spin, UDM_SETRANGE32, kScalingMin, kScalingMax);
  ::SendMessageA(spin, UDM_SETPOS32, 0, 100);
  HWND copies = GetDlgItem(IDC_COPY_COPIES_SPIN);
  ::SendMessageA(copies, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(IDC_COPY_COPIES)), 0);
  ::SendMessageA(copies, UDM_SETRANGE32, kCopiesMin, kCopiesMax);
  ::SendMessageA(copies, UDM_SETPOS32, 0, 1);
  m_copies = 1;
}

void CCopyPage::LoadOwnValues() {
  m_scaling = ReadInt(Keys::kScaling, 100);
  m_copies = ReadInt(Keys::kCopies, 1);
  m_centerVertical = ReadInt(Keys::kCenterVertical, 0);
  m_centerHorizontal = ReadInt(Keys::kCenterHorizontal, 0);
  m_outputDevice = PageRules::ChooseCopyDevice(ReadText(Keys::kOutputDevice, Keys::kNull, 255),
                                               ReadSystemProfileText("windows", "device", Keys::kNull, 255),
                                               Program().LocalText(IDS_DEVICE_NONE));
}

void CCopyPage::ShowOwnValues() {
  const CProgramContext& app = Program();
  if (app.HasLanguageLibrary()) {
    SetDlgItemTextA(m_hWnd, IDC_COPY_CENTER_V, app.LocalText(IDC_COPY_CENTER_V).c_str());
    SetDlgItemTextA(m_hWnd, IDC_COPY_CENTER_H, app.LocalText(IDC_COPY_CENTER_H).c_str());
  }
  SetDlgItemInt(m_hWnd, IDC_COPY_SCALING, static_cast<UINT>(m_scaling), TRUE);
  // The arrows step from the value shown (the field itself takes any integer).
  if (m_scaling >= kScalingMin && m_scaling <= kScalingMax) {
    ::SendMessageA(GetDlgItem(IDC_COPY_SCALING_SPIN), UDM_SETPOS32, 0, m_scaling);
  }
  CheckDlgButton(m_hWnd, IDC_COPY_CENTER_V, m_centerVertical ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, IDC_COPY_CENTER_H, m_centerHorizontal ? BST_CHECKED : BST_UNCHECKED);
}

int CCopyPage::ExtraListWidth(int index) const {
  return (index == 2 && Program().LanguageId() == Panel::kJapanese) ? 15 : 0;
}

void CCopyPage::LayoutOwn() {
  const int edge = GetSystemMetrics(SM_CYEDGE);
  const int height = LineHeight() + 2 * edge;
  const SLabel& scaling = m_labels[3];
  const int fieldX = Px(scaling.x) + MeasureText(Program().LocalText(IDC_COPY_SCALING_LABEL)).cx + Px(4);
  const int fieldWidth = MeasureText("MMMM9").cx + 2 * edge;
  MoveControl(IDC_COPY_SCALING, fieldX, Px(scaling.y), fieldWidth, height);
  MoveControl(IDC_COPY_SCALING_SPIN, fieldX + fieldWidth, Px(scaling.y), GetSystemMetrics(SM_CXVSCROLL),
              height);
  // The check boxes are as wide as their text and the box in front of it.
  for (int i = 4; i <= 5; ++i) {
    const SLabel& box = m_labels[static_cast<size_t>(i)];
    char text[256] = {};
    GetDlgItemTextA(m_hWnd, box.id, text, sizeof(text));
    MoveControl(box.id, Px(box.x), Px(box.y), MeasureText(text).cx + GetSystemMetrics(SM_CXMENUCHECK) + Px(8),
                height);
  }
  PlaceButtonAndBox(IDC_COPY_PRINTER_BOX);
}

void CCopyPage::PaintOwn(HDC dc) {
  const RECT spin = ControlRect(IDC_COPY_SCALING_SPIN);
  const CString percent = " %";
  SIZE text = {};
  GetTextExtentPoint32A(dc, percent.c_str(), percent.GetLength(), &text);
  int y = spin.top + ((spin.bottom - spin.top) - text.cy) / 2;
  if (y < spin.top) y = spin.top;
  TextOutA(dc, spin.right + Px(5), y, percent.c_str(), percent.GetLength());
  DrawTextBox(dc, IDC_COPY_PRINTER_BOX, m_outputDevice);
}

void CCopyPage::OnOwnButton() {
  CString device;
  int copies = m_copies;
  if (!ChoosePrinter(m_hWnd, device, copies)) return;
  m_outputDevice = device;
  m_copies = copies;
  RepaintControlArea(IDC_COPY_PRINTER_BOX);
}

bool CCopyPage::ReadControls() {
  char text[64] = {};
  GetDlgItemTextA(m_hWnd, IDC_COPY_SCALING, text, sizeof(text));
  int scaling = 0;
  if (!PageRules::ParseInteger(text, scaling)) {
    Message(Program().LocalText(IDS_PARSE_INT), Program().WindowTitle());
    SetFocus(GetDlgItem(IDC_COPY_SCALING));
    return false;
  }
  m_scaling = scaling;
  m_centerVertical = IsDlgButtonChecked(m_hWnd, IDC_COPY_CENTER_V) == BST_CHECKED ? 1 : 0;
  m_centerHorizontal = IsDlgButtonChecked(m_hWnd, IDC_COPY_CENTER_H) == BST_CHECKED ? 1 : 0;
  return true;
}

bool CCopyPage::Store(DestinationValues&) {
  const CProgramContext& app = Program();
  ReadControls();
  if (PageRules::EqualsNoCase(m_outputDevice, app.LocalText(IDS_DEVICE_NONE))) {
    Message(app.LocalText(IDS_DRIVER_NOT_SET), app.WindowTitle());
    return false;
  }
  WriteText(Keys::kOutputDevice, m_outputDevice.c_str());
  WriteInt(Keys::kScanMode, Selection(IDC_COPY_MODE, 1));
  WriteInt(Keys::kResolution, Selection(IDC_COPY_RES, 1));
  WriteInt(Keys::kDocumentSize, Selection(IDC_COPY_PAPER, 0));
  m_scaling = PageRules::StoredScaling(m_scaling);
  WriteInt(Keys::kScaling, m_scaling);
  WriteInt(Keys::kCopies, m_copies);
  WriteInt(Keys::kCenterVertical, m_centerVertical);
  WriteInt(Keys::kCenterHorizontal, m_centerHorizontal);
  StoreCleanup();
  return true;
}

bool ChoosePrinter(HWND owner, CString& device, int& copies) {
  PRINTDLGA dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.Flags = PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE;
  dialog.nCopies = 1;
  if (!PrintDlgA(&dialog)) return false;
  if (dialog.hDevNames) {
    CGlobalMemory names(dialog.hDevNames);
    CGlobalLock lock(names.Get());
    const DEVNAMES* devNames = static_cast<const DEVNAMES*>(lock.Get());
    if (devNames) device = reinterpret_cast<const char*>(devNames) + devNames->wDeviceOffset;
  }
  copies = dialog.nCopies;
  if (dialog.hDevMode) {
    CGlobalMemory mode(dialog.hDevMode);
    CGlobalLock lock(mode.Get());
    const DEVMODEA* devMode = static_cast<const DEVMODEA*>(lock.Get());
    // With the printer keeping the copies, the number lives in its device mode.
    if (devMode && (devMode->dmFields & DM_COPIES) && devMode->dmCopies > 0) copies = devMode->dmCopies;
  }
  if (copies < 1) copies = 1;
  return !device.IsEmpty();
}
