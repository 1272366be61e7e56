// CAddressBookDlg.
#include "mail/AddressBookDlg.h"

#include <commctrl.h>

#include "framework/Dpi.h"
#include "framework/Module.h"
#include "mail/AddressBook.h"
#include "mail/BookFile.h"
#include "mail/DialogText.h"
#include "resources/postlib/resource.h"

namespace {
const DWORD kValueBuffer = 1024;
const char kToolTipProc[] = "OrvaneToolTipProc";

// The tooltip control finds the window under the pointer with WindowFromPoint, which passes
// over disabled windows; it is answered with the dialog's child there, disabled or not, so
// that the disabled Add button keeps its tooltip.
LRESULT CALLBACK ToolTipProc(HWND tip, UINT message, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(GetPropA(tip, kToolTipProc));
  if (message == TTM_WINDOWFROMPOINT && lParam) {
    HWND dialog = GetWindow(tip, GW_OWNER);
    POINT point = *reinterpret_cast<const POINT*>(lParam);
    ScreenToClient(dialog, &point);
    HWND child = ChildWindowFromPointEx(dialog, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (child && child != dialog) return reinterpret_cast<LRESULT>(child);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropA(tip, kToolTipProc);
  }
  return CallWindowProcA(original, tip, message, wParam, lParam);
}
}  // namespace

CAddressBookDlg::CAddressBookDlg(IMailTexts& texts) : CDialog(IDD_ADDRESS_BOOK), m_texts(texts) {}

bool CAddressBookDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_book.SubclassDlgItem(IDC_ADDRESS_BOOK, m_hWnd);
  m_chosen.SubclassDlgItem(IDC_EMAIL_LIST, m_hWnd);
  m_book.SetOwner(this);
  m_chosen.SetOwner(this);
  m_add.SetOwner(this);
  {
    // The faces are the library's own even when a language library supplies the dialog.
    CResourceSourceScope own(m_texts.OwnResources());
    m_arrow.SubclassDlgItem(IDC_ARROW_BUTTON, m_hWnd);
    const UINT dpi = Dpi::ForWindow(m_hWnd);
    m_arrow.LoadBitmaps(IDB_ARROW_NORMAL, IDB_ARROW_PRESSED, IDB_ARROW_FOCUSED, IDB_ARROW_DISABLED, dpi);
    m_arrow.SizeToContent();
    m_add.SubclassDlgItem(IDC_ADD, m_hWnd);
    m_add.LoadBitmaps(IDB_ADD_NORMAL, IDB_ADD_PRESSED, IDB_ADD_FOCUSED, IDB_ADD_DISABLED, dpi);
    m_add.SizeToContent();
  }
  CreateToolTips();
  LoadBook();
  int last = -1;
  while (!m_recipients.IsEmpty()) {
    last = m_chosen.AddString(m_recipients[0]);
    m_recipients.RemoveAt(0);
  }
  if (last >= 0) m_chosen.SetSel(last);
  EnableItem(IDC_ADD, false);
  if (m_book.GetCount() == 0)
    EnableItem(IDC_ARROW_BUTTON, false);
  else
    m_book.SetSel(0);
  return true;
}

void CAddressBookDlg::CreateToolTips() {
  m_toolTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                              Module::Instance(), nullptr);
  if (!m_toolTip) return;
  SetPropA(m_toolTip, kToolTipProc,
           reinterpret_cast<HANDLE>(
               SetWindowLongPtrA(m_toolTip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ToolTipProc))));
  const int tools[][2] = {
      {IDC_ADD, IDS_TIP_ADD}, {IDC_EMAIL_LIST, IDS_TIP_EMAIL_LIST}, {IDC_ADDRESS_BOOK, IDS_TIP_ADDRESS_BOOK}};
  for (const auto& tool : tools) {
    CString text = m_texts.Text(tool[1]);
    TTTOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = m_hWnd;
    info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(tool[0]));
    info.lpszText = &text.str()[0];
    ::SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }
  ::SendMessageA(m_toolTip, TTM_ACTIVATE, TRUE, 0);
}

void CAddressBookDlg::DestroyToolTips() {
  if (m_toolTip) ::DestroyWindow(m_toolTip);
  m_toolTip = nullptr;
}

void CAddressBookDlg::RelayToolTip(HWND from, UINT message, WPARAM wParam, LPARAM lParam) const {
  if (!m_toolTip) return;
  MSG msg = {from, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
  GetCursorPos(&msg.pt);
  ::SendMessageA(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void CAddressBookDlg::OnMouseMove(UINT flags, POINT point) {
  // A disabled Add button gets no mouse input; its tooltip is fed from here instead.
  HWND add = GetDlgItem(IDC_ADD);
  RECT rect = {};
  ::GetWindowRect(add, &rect);
  POINT screen = point;
  ::ClientToScreen(m_hWnd, &screen);
  if (!PtInRect(&rect, screen)) return;
  POINT local = screen;
  ::ScreenToClient(add, &local);
  RelayToolTip(add, WM_MOUSEMOVE, flags, MAKELPARAM(local.x, local.y));
}

bool CAddressBookDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (m_arrow.DrawItem(item) || m_add.DrawItem(item)) {
      result = TRUE;
      return true;
    }
  }
  if (message == WM_DESTROY) DestroyToolTips();
  return false;
}

void CAddressBookDlg::LoadBook() {
  const CString file = BookFile::Path();
  const CStringArray entries = ReadAddressBook([&file](const CString& key) {
    char value[kValueBuffer] = {};
    GetPrivateProfileStringA(kAddressBookSection, key, "NULL", value, sizeof(value), file.c_str());
    return CString(value);
  });
  for (const CString& entry : entries) m_book.AddString(entry);
}

void CAddressBookDlg::SaveBook() const {
  CStringArray entries;
  for (int i = 0; i < m_book.GetCount(); ++i) entries.Add(m_book.GetText(i));
  const CString file = BookFile::Path();
  WriteAddressBook(
      entries, [&file] { WritePrivateProfileStringA(kAddressBookSection, nullptr, nullptr, file.c_str()); },
      [&file](const CString& key, const CString& value) {
        WritePrivateProfileStringA(kAddressBookSection, key, value, file.c_str());
      });
}

bool CAddressBookDlg::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case IDC_NEW_ADDRESS:
      if (code == EN_CHANGE) EnableItem(IDC_ADD, true);
      return true;
    case IDC_ADD:
      if (code == BN_CLICKED) OnAdd();
      return true;
    case IDC_ARROW_BUTTON:
      if (code == BN_CLICKED) OnArrow();
      return true;
    case IDC_ADDRESS_BOOK:
      if (code == LBN_DBLCLK) OnArrow();
      return true;
    case IDC_BOOK_OK:
      OnBookOk();
      return true;
    case IDC_BOOK_CANCEL:
      DestroyToolTips();
      EndDialog(IDCANCEL);
      return true;
    default:
      return CDialog::OnCommand(id, code, control);
  }
}

void CAddressBookDlg::OnAdd() {
  const CString typed = DlgItemText(m_hWnd, IDC_NEW_ADDRESS);
  if (typed.IsEmpty()) return;
  const CString address = StoredAddress(typed);
  if (m_book.FindStringExact(address) != LB_ERR) {
    m_texts.ShowMessage(IDS_DUPLICATE_ADDRESS);
    return;
  }
  const int index = m_book.AddString(address);
  if (m_book.GetCount() == 1) m_book.SetSel(index);
  EnableItem(IDC_ARROW_BUTTON, true);
}

void CAddressBookDlg::OnArrow() {
  if (m_book.GetCount() == 0) return;
  // Every selected entry is handled, however many there are.
  const std::vector<int> selected = m_book.GetSelItems();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    const CString entry = m_book.GetText(*it);
    if (m_chosen.FindStringExact(entry) != LB_ERR) continue;
    const int index = m_chosen.AddString(entry);
    if (m_chosen.GetCount() == 1) m_chosen.SetSel(index);
  }
}

void CAddressBookDlg::OnListDeleteKey(CMailListBox& list) {
  if (list.GetCount() == 0) return;
  const bool isBook = &list == &m_book;
  m_texts.ShowMessage(isBook ? IDS_DELETE_FROM_BOOK : IDS_DELETE_FROM_LIST);
  const std::vector<int> selected = list.GetSelItems();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) list.DeleteString(*it);
  if (!selected.empty() && list.GetCount() > 0) {
    const int deleted = selected.front();
    list.SetSel(selected.size() > 1 || deleted == 0 ? 0 : deleted - 1);
  }
  if (list.GetCount() == 0) {
    if (isBook) {
      EnableItem(IDC_ARROW_BUTTON, false);
      EnableItem(IDC_DELETE_BOOK, false);
    } else {
      EnableItem(IDC_DELETE_LIST, false);
    }
  }
}

void CAddressBookDlg::OnBookOk() {
  DestroyToolTips();
  SaveBook();
  m_recipients.RemoveAll();
  for (int i = 0; i < m_chosen.GetCount(); ++i) m_recipients.Add(m_chosen.GetText(i));
  EndDialog(IDOK);
}
