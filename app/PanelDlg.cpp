// CPanelDlg: opening, page switching, the button dispatch and the end of the panel.
#include "app/PanelDlg.h"

#include <commctrl.h>

#include "app/AboutDlg.h"
#include "app/LibraryBinding.h"
#include "app/PanelFocus.h"
#include "app/ProgramContext.h"
#include "app/ScannerMenu.h"
#include "app/output/EditorHandOff.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Dpi.h"
#include "framework/Module.h"
#include "resources/orvane/panel.h"
#include "resources/orvane/resource.h"

using namespace Panel;

CPanelDlg::CPanelDlg(const CProgramContext& program, const JobOutlets& outlets)
    : CDialog(IDD_PANEL),
      m_program(program),
      m_labelPainter(program),
      m_pointer(*this),
      m_job(program, *this, outlets) {}

CPanelDlg::~CPanelDlg() = default;

bool CPanelDlg::OnInitDialog() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  const CLibraryBinding& libraries = m_program.Libraries();
  if (libraries.DcAppInitProc) libraries.DcAppInitProc(m_hWnd);

  SetWindowText(m_program.WindowTitle().c_str());
  m_icon = LoadIconA(Module::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
  TrimSystemMenu();

  m_dpi = Dpi::ForWindow(m_hWnd);
  m_background.Load(Module::Instance(), "PATTERN", m_dpi);
  m_backgroundSize = SIZE{m_background.Width(), m_background.Height()};
  SizeToBackground();
  PlaceButtons();
  CreateTooltips();

  m_activeId = ActiveFromStored(m_program.Settings().ReadInt(Keys::kActiveDlg, Keys::kActiveId, kImage));
  m_labelId = m_activeId;
  CreatePages();
  SwitchPage(m_activeId);
  m_labelPainter.Bind(m_hWnd);
  // The first in the tab order: the dialog gives it the focus.
  m_keys.Create(m_hWnd, *this);
  return true;
}

void CPanelDlg::TrimSystemMenu() const {
  HMENU menu = GetSystemMenu(m_hWnd, FALSE);
  if (!menu) return;
  DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  // What is left is Restore, Move, Minimize and the separator that stood before Close.
  DeleteMenu(menu, 3, MF_BYPOSITION);
}

void CPanelDlg::SizeToBackground() {
  if (m_backgroundSize.cx <= 0 || m_backgroundSize.cy <= 0) return;
  // The frame is measured from the window's own styles, so that the client area is exactly
  // the background whatever border the platform draws.
  RECT frame = {0, 0, m_backgroundSize.cx, m_backgroundSize.cy};
  Dpi::AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)),
                        static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_EXSTYLE)), m_dpi);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT desktop = {};
  ::GetWindowRect(GetDesktopWindow(), &desktop);
  const int x = desktop.left + ((desktop.right - desktop.left) - width) / 2;
  const int y = desktop.top + ((desktop.bottom - desktop.top) - height) / 2;
  SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPanelDlg::PlaceButtons() {
  for (uint16_t id = kFirstButton; id <= kLastButton; ++id) {
    HWND placeholder = GetDlgItem(id);
    if (!placeholder) continue;
    RECT r = {};
    ::GetWindowRect(placeholder, &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    // The placeholder takes the size of its face, so that the whole bitmap is shown and hit.
    CScaledBitmap face;
    if (face.Load(Module::Instance(), FaceBitmapName(id, kFaceNormal), m_dpi)) {
      width = face.Width();
      height = face.Height();
    }
    const ButtonPosition at = {Px(PositionOf(id).x), Px(PositionOf(id).y)};
    ::MoveWindow(placeholder, at.x, at.y, width, height, FALSE);
    m_pointer.SetButtonRect(id, CPanelRect{at.x, at.y, at.x + width, at.y + height});
  }
}

void CPanelDlg::CreateTooltips() {
  m_tooltip =
      CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, Module::Instance(), nullptr);
  if (!m_tooltip) return;
  for (uint16_t id = kFirstButton; id <= kLastButton; ++id) {
    const CString text = m_program.LocalText(id) + CString::Format(" (Alt+%c)", PanelFocus::AccessKey(id));
    TOOLINFOA tool = ButtonTool(id);
    tool.lpszText = const_cast<char*>(text.c_str());
    ::SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  ::SendMessageA(m_tooltip, TTM_ACTIVATE, TRUE, 0);
}

void CPanelDlg::CreatePages() {
  CSettingsPage* pages[] = {&m_copyPage, &m_ocrPage, &m_faxPage, &m_mailPage, &m_imagePage};
  const uint16_t destinations[] = {kCopy, kOcr, kFax, kMail, kImage};
  for (int i = 0; i < 5; ++i) {
    if (!pages[i]->Create(*this, m_program)) continue;
    // Never shown: the name a screen reader gives the page.
    pages[i]->SetWindowText(m_program.LocalText(TitleStringId(destinations[i])).c_str());
  }
  PlacePages();
  m_imagePage.ShowWindow(SW_HIDE);
}

CSettingsPage* CPanelDlg::PageFor(uint16_t id) {
  switch (id) {
    case kImage:
      return &m_imagePage;
    case kCopy:
      return &m_copyPage;
    case kFax:
      return &m_faxPage;
    case kMail:
      return &m_mailPage;
    case kOcr:
      return &m_ocrPage;
    default:
      return nullptr;
  }
}

void CPanelDlg::SwitchPage(uint16_t id) {
  if (id == m_shownPageId) return;
  CSettingsPage* next = PageFor(id);
  if (!next) return;
  const bool japaneseOcr = id == kOcr && m_program.LanguageId() == kJapanese;
  CSettingsPage* shown = PageFor(m_shownPageId);
  if (!japaneseOcr && shown) {
    shown->ShowWindow(SW_HIDE);
    m_skipBackground = true;
  }
  m_shownPageId = id;
  next->ShowWindow(SW_SHOW);
}

void CPanelDlg::Click(uint16_t id) {
  switch (id) {
    case kImage:
    case kCopy:
    case kFax:
    case kMail:
    case kOcr:
      m_activeId = id;
      SwitchPage(id);
      break;
    case kScan:
      m_job.Press(m_shownPageId, m_activeId);
      break;
    case kExit:
      NotifyWatcher(0);
      m_job.CancelSecondPass();
      EndDialog(IDCANCEL);
      break;
    case kHelp:
      m_program.OpenHelp();
      break;
    case kInfo: {
      CAboutDlg about(m_program);
      about.DoModal();
      break;
    }
    default:
      break;
  }
}

bool CPanelDlg::Release(uint16_t id) {
  if (id == kOcr && m_program.LanguageId() == kJapanese) return RunSelvora(id);
  Click(id);
  return true;
}

bool CPanelDlg::RunSelvora(uint16_t id) {
  const SelvoraStart start = EditorHandOff::StartSelvora();
  if (start == SelvoraStart::kStarted) {
    EndPanel();
    return false;
  }
  m_pointer.CancelPress();
  DrawButton(id, kStateNormal);
  const UINT message = start == SelvoraStart::kMissing ? IDS_SELVORA_NOT_FOUND : IDS_SELVORA_START_FAILED;
  MessageBoxA(m_hWnd, m_program.LocalText(message).c_str(),
              m_program.LocalText(IDS_SCAN_DIALOG_CAPTION).c_str(), MB_OK);
  return false;
}

void CPanelDlg::NotifyWatcher(WPARAM wParam) const {
  const CString model = m_program.Description().ReadText(Keys::kWatch, Keys::kModel, "ZR7600", 200);
  HWND watcher = FindWindowA(nullptr, model.c_str());
  if (watcher) ::SendMessageA(watcher, WM_WATCH_NOTIFY, wParam, 0);
}

void CPanelDlg::FreeGraphics() {
  if (m_graphicsReleased) return;
  m_background.Release();
  m_graphicsReleased = true;
}

void CPanelDlg::EndPanel() {
  FreeGraphics();
  EndDialog(IDCANCEL);
}

void CPanelDlg::OnClose() { EndPanel(); }

void CPanelDlg::OnCancel() {
  if (MayExit()) Click(kExit);
}

void CPanelDlg::PressFromKeyboard(uint16_t id) {
  const uint16_t before = m_activeId;
  if (!Release(id)) return;
  if (IsDestination(id) && id != before) {
    InvalidateButton(before);
    InvalidateButton(id);
  }
}

void CPanelDlg::CueMoved(uint16_t from, uint16_t to) {
  if (from) InvalidateButton(from);
  if (to) {
    InvalidateButton(to);
    SetLabel(to);
  }
}

CString CPanelDlg::ButtonName(uint16_t id) const { return m_program.LocalText(id); }

RECT CPanelDlg::ButtonArea(uint16_t id) const {
  const CPanelRect& r = m_pointer.ButtonRect(id);
  return RECT{r.left, r.top, r.right, r.bottom};
}

bool CPanelDlg::ButtonAvailable(uint16_t id) const {
  return IsButton(id) && !m_job.Running() && IsWindowEnabled(m_hWnd);
}

void CPanelDlg::InvalidateButton(uint16_t id) const {
  if (!IsButton(id)) return;
  const CPanelRect& r = m_pointer.ButtonRect(id);
  const RECT rect = {r.left, r.top, r.right, r.bottom};
  ::InvalidateRect(m_hWnd, &rect, FALSE);
}

bool CPanelDlg::OnCommand(WORD id, WORD code, HWND control) {
  // A command with a button's id (from a test driver or an accessibility tool) clicks it.
  if (IsButton(id) && control == nullptr) {
    Click(id);
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}

void CPanelDlg::OnTimer(UINT_PTR id) { m_job.OnTimer(id); }

void CPanelDlg::OnDestroy() {
  m_access.Disconnect();
  m_job.OnPanelDestroyed();
  FreeGraphics();
  if (m_tooltip) {
    ::DestroyWindow(m_tooltip);
    m_tooltip = nullptr;
  }
}

void CPanelDlg::SetLabel(uint16_t id) {
  if (id == m_labelId) return;
  m_labelId = id;
  m_labelPainter.Invalidate();
}

bool CPanelDlg::StartTimer(UINT_PTR id, UINT ms) { return SetTimer(id, ms) != 0; }

void CPanelDlg::CapturePointer() { SetCapture(m_hWnd); }

void CPanelDlg::ReleasePointer() {
  if (GetCapture() == m_hWnd) ReleaseCapture();
}

void CPanelDlg::OnMouseMove(UINT flags, POINT point) { m_pointer.MouseMove(point.x, point.y); }

void CPanelDlg::OnLButtonDown(UINT flags, POINT point) { m_pointer.ButtonDown(point.x, point.y); }

void CPanelDlg::OnLButtonUp(UINT flags, POINT point) { m_pointer.ButtonUp(point.x, point.y); }

void CPanelDlg::RelayToTooltips(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (!m_tooltip) return;
  MSG msg = {};
  msg.hwnd = m_hWnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetMessageTime();
  const DWORD pos = GetMessagePos();
  msg.pt = POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ::SendMessageA(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

bool CPanelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  if (m_job.OnMessage(message, wParam, lParam, result)) {
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return true;
  }
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      RelayToTooltips(message, wParam, lParam);
      return false;
    case WM_ERASEBKGND:
      // The paint covers the whole client area with the background.
      if (m_background.IsLoaded()) {
        result = TRUE;
        return true;
      }
      return false;
    case WM_CONTEXTMENU:
      ScannerMenu::Show(m_hWnd, lParam, m_program.LocalText(IDS_SCANNER_MENU),
                        m_program.Libraries().DcAppChooseScannerProc);
      result = 0;
      return true;
    case WM_GETOBJECT: {
      LRESULT answer = 0;
      if (!m_access.Answer(*this, wParam, lParam, answer)) return false;
      SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, answer);
      result = TRUE;
      return true;
    }
    case Dpi::kChangedMessage:
      OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      result = 0;
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<INT_PTR>(m_icon);
      return true;
    default:
      return false;
  }
}
