// CAboutDlg.
#include "app/AboutDlg.h"

#include "app/AboutLayout.h"
#include "app/ProgramContext.h"
#include "app/WindowTitle.h"
#include "app/settings/SettingsKeys.h"
#include "framework/DisplayScale.h"
#include "framework/Dpi.h"
#include "framework/Module.h"
#include "resources/orvane/resource.h"

namespace {
const int kFontHeight = 14;

SIZE TextExtent(HWND wnd, HFONT font, const CString& text) {
  CClientDC dc(wnd);
  CSelectObject select(dc.Get(), font);
  SIZE size = {};
  GetTextExtentPoint32A(dc.Get(), text.c_str(), text.GetLength(), &size);
  return size;
}
}  // namespace

CAboutDlg::CAboutDlg(const CProgramContext& program) : CDialog(IDD_ABOUTBOX), m_program(program) {}

bool CAboutDlg::OnInitDialog() {
  const CProgramContext& app = m_program;
  SetWindowText(app.WindowTitle().c_str());
  const CString appTitle = app.OwnText(IDS_APP_TITLE);
  const CString version = app.Description().ReadText(appTitle, Keys::kVer, Keys::kNull, 20).Upper();
  m_displayText = app.WindowTitle();
  if (!IsUnsetValue(version)) m_displayText += " " + version;

  // The font keeps its point size and the tile its look at the box's scale.
  const UINT dpi = Dpi::ForWindow(m_hWnd);
  m_font.Reset(app.CreateInterfaceFont(DisplayScale::Scaled(kFontHeight, static_cast<int>(dpi))));
  m_background.Load(app.Instance(), "ABOUTBK", dpi);

  const SIZE text = TextExtent(m_hWnd, static_cast<HFONT>(m_font.Get()), m_displayText);
  const AboutBoxSize size = AboutBoxSizeFor(text.cx, m_background.Height());
  SetWindowPos(nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER);

  HWND button = GetDlgItem(IDC_ABOUT_OK);
  const CString okText = app.LocalText(IDS_ABOUT_OK);
  ::SetWindowTextA(button, okText.c_str());
  ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
  const SIZE okExtent = TextExtent(m_hWnd, static_cast<HFONT>(m_font.Get()), okText);
  const RECT client = GetClientRect();
  const ButtonRect place =
      AboutButtonRect(client.right, client.bottom, okExtent.cx, okExtent.cy, GetSystemMetrics(SM_CYDLGFRAME));
  ::MoveWindow(button, place.x, place.y, place.width, place.height, TRUE);
  return true;
}

bool CAboutDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_ABOUT_OK) {
    EndDialog(IDOK);
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}

bool CAboutDlg::OnPaint() {
  CPaintDC paint(m_hWnd);
  HDC dc = paint.Get();
  const RECT client = GetClientRect();
  if (m_background.IsLoaded() && m_background.Width() > 0 && m_background.Height() > 0) {
    for (int y = 0; y < client.bottom; y += m_background.Height()) {
      for (int x = 0; x < client.right; x += m_background.Width()) m_background.Draw(dc, x, y);
    }
  }
  CSelectObject selectFont(dc, m_font.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT textRect = {0, 0, client.right, client.bottom / 2};
  DrawTextA(dc, m_displayText.c_str(), m_displayText.GetLength(), &textRect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  return true;
}
