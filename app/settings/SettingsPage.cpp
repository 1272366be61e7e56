// CSettingsPage: construction, lists, layout, painting and the shared store steps.
#include "app/settings/SettingsPage.h"

#include "app/ProgramContext.h"
#include "app/settings/KeyButton.h"
#include "app/settings/PageRules.h"
#include "app/settings/SettingsKeys.h"
#include "app/settings/TokenList.h"
#include "framework/DisplayScale.h"
#include "framework/Dpi.h"
#include "framework/Module.h"
#include "resources/orvane/pages.h"
#include "resources/orvane/panel.h"

namespace {
const COLORREF kWhite = RGB(255, 255, 255);

void AddString(HWND list, const CString& text) {
  ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Select(HWND list, int index) {
  // An index beyond the list leaves it without a selection.
  const LRESULT count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
  ::SendMessageA(list, CB_SETCURSEL, (index >= 0 && index < count) ? index : -1, 0);
}
}  // namespace

CSettingsPage::CSettingsPage(const SPageIdentity& identity)
    : CDialog(identity.dialogId), m_identity(identity) {}

CSettingsPage::~CSettingsPage() = default;

bool CSettingsPage::Create(IPageHost& panel, const CProgramContext& program) {
  m_panel = &panel;
  m_program = &program;
  return CDialog::Create(panel.HostWindow());
}

bool CSettingsPage::OnInitDialog() {
  Prepare();
  LoadBackground();
  LoadListValues();
  LoadOwnValues();
  FillLists();
  ShowOwnValues();
  ShowCleanup();
  SetPageFont();
  LayoutLists();
  if (m_identity.ownButton) {
    m_button.Attach(m_hWnd, m_identity.ownButton, m_identity.faceUp, m_identity.faceDown,
                    m_identity.faceFocus);
    const uint16_t own = static_cast<uint16_t>(m_identity.ownButton);
    m_button.OnHover([this, own]() {
      if (m_panel) m_panel->SetLabel(own);
    });
  }
  LayoutOwn();
  LayoutCleanup();
  return true;
}

void CSettingsPage::LoadBackground() {
  // The page is as large as its background; the layout measures from that size.
  if (m_background.Load(Module::Instance(), m_identity.background, PageDpi())) {
    SetWindowPos(nullptr, 0, 0, m_background.Width(), m_background.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_backgroundBrush.Reset(CreatePatternBrush(m_background.Bitmap()));
  }
}

void CSettingsPage::Rescale(UINT dpi) {
  if (!m_hWnd || !m_program) return;
  m_dpi = dpi;
  LoadBackground();
  SetPageFont();
  if (m_identity.ownButton) m_button.LoadFaces(PageDpi());
  LayoutLists();
  LayoutOwn();
  LayoutCleanup();
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CSettingsPage::OnDestroy() {
  m_button.Detach();
  m_backgroundBrush.Reset();
  m_background.Release();
  m_pageFont.Reset();
}

void CSettingsPage::LoadListValues() {
  if (m_identity.modeList) {
    m_scanMode = static_cast<uint16_t>(PageRules::ShownScanMode(ReadInt(Keys::kScanMode, 1)));
  }
  m_resolution = static_cast<uint16_t>(ReadInt(Keys::kResolution, 0));
  m_paper = static_cast<uint16_t>(ReadInt(Keys::kDocumentSize, 0));
}

void CSettingsPage::FillLists() {
  const CProgramContext& app = Program();
  HWND paper = GetDlgItem(m_identity.paperList);
  // Only the scanner's own names are shown (never more than the list holds), then "Auto".
  int names = app.PaperNames().GetSize() - (app.AutoEntry() ? 1 : 0);
  if (app.PaperCount() < names) names = app.PaperCount();
  for (int i = 0; i < names; ++i) {
    const CString& name = app.PaperNames()[i];
    const bool lookUp = !name.IsEmpty() && !app.Language().IsEmpty();
    AddString(paper, lookUp ? app.Description().ReadText(app.Language(), name, "", 256) : CString());
  }
  if (app.AutoEntry()) AddString(paper, app.LocalText(IDS_PAPER_AUTO));
  Select(paper, m_paper);

  if (m_identity.modeList) {
    HWND mode = GetDlgItem(m_identity.modeList);
    for (UINT id = IDS_MODE_LINEART; id <= IDS_MODE_COLOR; ++id) AddString(mode, app.LocalText(id));
    Select(mode, m_scanMode);
  }
  FillResolutionList();
}

void CSettingsPage::FillResolutionList() {
  const CProgramContext& app = Program();
  HWND list = GetDlgItem(m_identity.resolutionList);
  const CStringArray tokens = SplitTokens(ReadText(Keys::kSupportRes, "", 512));
  for (const CString& token : tokens) {
    CString label = Keys::kNull;
    if (!token.IsEmpty() && !app.Language().IsEmpty()) {
      label = app.Settings().ReadText(app.Language(), token, Keys::kNull, 512);
    }
    AddString(list, label == Keys::kNull ? token : label);
  }
  if (tokens.GetSize() > 0) {
    auto table = std::make_unique<CResolutionTable>();
    table->Build(tokens, [this](const CString& token) {
      return token.IsEmpty() ? CResolutionTable::kDefaultDpi : ReadInt(token, CResolutionTable::kDefaultDpi);
    });
    m_resolutions = std::move(table);
  }
  Select(list, m_resolution);
}

void CSettingsPage::SetPageFont() {
  m_pageFont.Reset(Program().CreateInterfaceFont(Px(kPageFontHeight)));
  for (int id = m_identity.firstControl; id <= m_identity.lastControl; ++id) {
    HWND control = GetDlgItem(id);
    if (control) ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_pageFont.Get()), FALSE);
  }
  // The clean-up check boxes lie outside the range; they speak in the page font as the others.
  for (const SLabel& box : m_cleanupBoxes)
    ::SendMessageA(GetDlgItem(box.id), WM_SETFONT, reinterpret_cast<WPARAM>(m_pageFont.Get()), FALSE);
}

void CSettingsPage::LayoutLists() {
  const int edge = GetSystemMetrics(SM_CYEDGE);
  const int labelHeight = LineHeight() + 2 * edge;
  int lists[3] = {m_identity.paperList, m_identity.modeList, m_identity.resolutionList};
  int listIndex[3] = {0, 1, 2};
  int listCount = 0;
  for (int i = 0; i < 3; ++i) {
    if (lists[i]) {
      lists[listCount] = lists[i];
      listIndex[listCount] = i;
      ++listCount;
    }
  }
  int starts[3] = {};
  for (size_t i = 0; i < m_labels.size(); ++i) {
    const SLabel& label = m_labels[i];
    const SIZE text = MeasureText(Program().LocalText(static_cast<UINT>(label.id)));
    MoveControl(label.id, Px(label.x), Px(label.y), text.cx + Px(4), labelHeight);
    if (static_cast<int>(i) < listCount) starts[i] = Px(label.x) + text.cx + Px(ListGap());
  }
  const RECT page = GetClientRect();
  const int width = PageRules::ListWidth(starts, listCount, page.right);
  for (int i = 0; i < listCount && i < static_cast<int>(m_labels.size()); ++i)
    PlaceList(lists[i], starts[i], Px(m_labels[static_cast<size_t>(i)].y),
              width + Px(ExtraListWidth(listIndex[i])));
}

void CSettingsPage::PlaceList(int listId, int x, int y, int width) const {
  HWND list = GetDlgItem(listId);
  RECT dropped = {};
  ::SendMessageA(list, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  const int height = dropped.bottom - dropped.top;
  MoveControl(listId, x, y, width, height > 0 ? height : 120);
  // A narrow list opens wide enough for its longest entry.
  ::SendMessageA(list, CB_SETDROPPEDWIDTH,
                 static_cast<WPARAM>(WidestEntry(list) + 2 * GetSystemMetrics(SM_CXEDGE) + 8), 0);
}

int CSettingsPage::WidestEntry(HWND list) const {
  int widest = 0;
  const LRESULT count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
  for (LRESULT item = 0; item < count; ++item) {
    char text[512] = {};
    const LRESULT length = ::SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
    if (length < 0 || length >= static_cast<LRESULT>(sizeof(text))) continue;
    ::SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
    const int textWidth = MeasureText(text).cx;
    if (textWidth > widest) widest = textWidth;
  }
  return widest;
}

void CSettingsPage::FillChoiceList(int listId, std::initializer_list<UINT> textIds, int selection) const {
  HWND list = GetDlgItem(listId);
  ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
  for (const UINT textId : textIds) AddString(list, Program().LocalText(textId));
  Select(list, selection);
}

void CSettingsPage::PlaceChoiceList(int listId, int labelId) const {
  // As wide as the resolution list, or as its longest entry needs beside the drop-down arrow,
  // but not past the page's edge.
  const RECT label = ControlRect(labelId);
  const int x = label.left + MeasureText(Program().LocalText(static_cast<UINT>(labelId))).cx + ListGap();
  const RECT resolution = ControlRect(m_identity.resolutionList);
  const int needed =
      WidestEntry(GetDlgItem(listId)) + GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE) + 4;
  int width = resolution.right - resolution.left;
  if (needed > width) width = needed;
  const int room = GetClientRect().right - x;
  PlaceList(listId, x, label.top, width < room ? width : room);
}

bool CSettingsPage::OnPaint() {
  CPaintDC paint(m_hWnd);
  HDC dc = paint.Get();
  m_background.Draw(dc, 0, 0);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, kWhite);
  {
    CSelectObject font(dc, m_pageFont.Get());
    PaintLabels(dc);
    PaintOwn(dc);
  }
  PaintTitle(dc);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  return true;
}

void CSettingsPage::PaintLabels(HDC dc) const {
  for (const SLabel& label : m_labels) {
    if (!GetDlgItem(label.id)) continue;
    // Check boxes paint their own text.
    if (::IsWindowVisible(GetDlgItem(label.id))) continue;
    const RECT r = ControlRect(label.id);
    const CString text = Program().LocalText(static_cast<UINT>(label.id));
    TextOutA(dc, r.left + 2, r.top + 1, text.c_str(), text.GetLength());
  }
}

void CSettingsPage::PaintTitle(HDC dc) const {
  CGdiObject titleFont(Program().CreateInterfaceFont(Px(kTitleFontHeight)));
  CSelectObject select(dc, titleFont.Get());
  const CString title = Program().LocalText(m_identity.titleId);
  SIZE size = {};
  GetTextExtentPoint32A(dc, title.c_str(), title.GetLength(), &size);
  // Centred in the title band as at 1x: the rule takes the text's 1x width.
  const int dpi = static_cast<int>(PageDpi());
  TextOutA(dc, Px(PageRules::TitleX(size.cx * DisplayScale::kBaseDpi / dpi)), Px(4), title.c_str(),
           title.GetLength());
}

void CSettingsPage::OnMouseMove(UINT flags, POINT point) {
  if (m_panel) m_panel->SetLabel(m_panel->ActiveDestination());
}

bool CSettingsPage::OnCommand(WORD id, WORD code, HWND control) {
  if (m_identity.ownButton && id == m_identity.ownButton && code == BN_CLICKED) {
    OnOwnButton();
    return true;
  }
  if (m_cleanupKey && id == m_cleanupKey && code == BN_CLICKED) {
    OnCleanupKey();
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}

bool CSettingsPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_ERASEBKGND:
      // The background bitmap covers the page; erasing first would only flicker.
      result = m_background.IsLoaded() ? TRUE : FALSE;
      return m_background.IsLoaded();
    case WM_CTLCOLORSTATIC: {
      // Check boxes: white text on the page's own background. The background brush is
      // aligned with the page, so that each repaint starts from the bitmap again (with no
      // brush at all, every repaint would draw the text over the last one).
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kWhite);
      SetBkMode(dc, TRANSPARENT);
      if (m_backgroundBrush) {
        RECT r = {};
        ::GetWindowRect(reinterpret_cast<HWND>(lParam), &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        SetBrushOrgEx(dc, -r.left, -r.top, nullptr);
        result = reinterpret_cast<INT_PTR>(m_backgroundBrush.Get());
      } else {
        result = reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
      }
      return true;
    }
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item && m_identity.ownButton && static_cast<int>(item->CtlID) == m_identity.ownButton) {
        m_button.Draw(*item);
        result = TRUE;
        return true;
      }
      if (item && m_cleanupKey && static_cast<int>(item->CtlID) == m_cleanupKey) {
        DrawKeyButton(*item, PageFont(), Program().LocalText(IDS_CLEANUP_KEY));
        result = TRUE;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

int CSettingsPage::ReadInt(const char* key, int fallback) const {
  return Program().Settings().ReadInt(m_identity.section, key, fallback);
}

CString CSettingsPage::ReadText(const char* key, const char* fallback, DWORD bufferSize) const {
  return Program().Settings().ReadText(m_identity.section, key, fallback, bufferSize);
}

void CSettingsPage::WriteInt(const char* key, int value) const {
  Program().Settings().WriteInt(m_identity.section, key, value);
}

void CSettingsPage::WriteText(const char* key, const char* value) const {
  Program().Settings().WriteText(m_identity.section, key, value);
}

int CSettingsPage::Selection(int listId, int none) const {
  const LRESULT selection = ::SendMessageA(GetDlgItem(listId), CB_GETCURSEL, 0, 0);
  return selection == CB_ERR ? none : static_cast<int>(selection);
}

void CSettingsPage::StoreLists(int resolutionNone) const {
  if (m_identity.modeList) WriteInt(Keys::kScanMode, Selection(m_identity.modeList, 1));
  WriteInt(Keys::kResolution, Selection(m_identity.resolutionList, resolutionNone));
  WriteInt(Keys::kDocumentSize, Selection(m_identity.paperList, 0));
  StoreCleanup();
}

SIZE CSettingsPage::MeasureText(const CString& text) const {
  CClientDC dc(m_hWnd);
  CSelectObject select(dc.Get(), m_pageFont.Get());
  SIZE size = {};
  GetTextExtentPoint32A(dc.Get(), text.c_str(), text.GetLength(), &size);
  return size;
}

int CSettingsPage::LineHeight() const {
  CClientDC dc(m_hWnd);
  CSelectObject select(dc.Get(), m_pageFont.Get());
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc.Get(), &metrics);
  return metrics.tmHeight;
}

void CSettingsPage::PlaceButtonAndBox(int boxId) {
  const SIZE button = m_button.SizeToContent();
  const RECT page = GetClientRect();
  const int x = page.right - button.cx - Px(6);
  const int y = page.bottom - button.cy - Px(6);
  MoveControl(m_identity.ownButton, x, y, button.cx, button.cy);
  MoveControl(boxId, Px(3), y, page.right - button.cx - Px(12), button.cy);
}

void CSettingsPage::DrawTextBox(HDC dc, int boxId, const CString& text) const {
  const RECT box = ControlRect(boxId);
  CGdiObject black(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  CGdiObject white(CreatePen(PS_SOLID, 1, kWhite));
  {
    CSelectObject pen(dc, black.Get());
    MoveToEx(dc, box.left, box.bottom - 1, nullptr);
    LineTo(dc, box.left, box.top);
    LineTo(dc, box.right - 1, box.top);
  }
  {
    CSelectObject pen(dc, white.Get());
    LineTo(dc, box.right - 1, box.bottom - 1);
    LineTo(dc, box.left, box.bottom - 1);
  }
  RECT inside = {box.left + 3, box.top + 2, box.right - 1, box.bottom - 1};
  ExtTextOutA(dc, box.left + 3, box.top + 2, ETO_CLIPPED, &inside, text.c_str(),
              static_cast<UINT>(text.GetLength()), nullptr);
}

void CSettingsPage::RepaintControlArea(int id) {
  const RECT r = ControlRect(id);
  InvalidateRect(r, true);
}

void CSettingsPage::Message(const CString& text, const CString& caption) const {
  MessageBoxA(m_hWnd, text.c_str(), caption.c_str(), MB_OK);
}

RECT CSettingsPage::ControlRect(int id) const {
  RECT r = {};
  HWND control = GetDlgItem(id);
  if (!control) return r;
  ::GetWindowRect(control, &r);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

UINT CSettingsPage::PageDpi() const { return m_dpi ? m_dpi : Dpi::ForWindow(m_hWnd); }

int CSettingsPage::Px(int length) const { return DisplayScale::Scaled(length, static_cast<int>(PageDpi())); }

void CSettingsPage::MoveControl(int id, int x, int y, int width, int height) const {
  HWND control = GetDlgItem(id);
  if (control) ::MoveWindow(control, x, y, width, height, TRUE);
}
