// CPrintStatusDlg: an in-memory dialog template, so that every module that links the framework
// can print without resources of its own.
#include "framework/PrintStatusDlg.h"

#include "framework/MessagePump.h"

#include <vector>

namespace {

const WORD kButtonClass = 0x0080;
const WORD kStaticClass = 0x0082;

// Builds a dialog template in WORDs; items start on DWORD boundaries.
class CTemplateBuilder {
 public:
  CTemplateBuilder(DWORD style, short cx, short cy, const char* title, WORD items) {
    AddDword(style);
    AddDword(0);  // extended style
    m_words.push_back(items);
    AddRect(0, 0, cx, cy);
    m_words.push_back(0);  // no menu
    m_words.push_back(0);  // the dialog class
    AddText(title);
    m_words.push_back(8);  // font size for DS_SETFONT
    AddText("MS Shell Dlg");
  }

  void AddItem(WORD windowClass, DWORD style, short x, short y, short cx, short cy, WORD id,
               const char* text) {
    if (m_words.size() % 2 != 0) m_words.push_back(0);
    AddDword(style | WS_CHILD | WS_VISIBLE);
    AddDword(0);
    AddRect(x, y, cx, cy);
    m_words.push_back(id);
    m_words.push_back(0xFFFF);
    m_words.push_back(windowClass);
    AddText(text);
    m_words.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

 private:
  void AddDword(DWORD value) {
    m_words.push_back(LOWORD(value));
    m_words.push_back(HIWORD(value));
  }
  void AddRect(short x, short y, short cx, short cy) {
    for (short v : {x, y, cx, cy}) m_words.push_back(static_cast<WORD>(v));
  }
  void AddText(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
      m_words.push_back(0);
      return;
    }
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    for (wchar_t ch : wide) m_words.push_back(static_cast<WORD>(ch));  // ends with the terminator
  }

  std::vector<WORD> m_words;
};

}  // namespace

CPrintStatusDlg* CPrintStatusDlg::s_running = nullptr;

CPrintStatusDlg::~CPrintStatusDlg() {
  if (s_running == this) s_running = nullptr;
}

bool CPrintStatusDlg::Create(HWND owner, const char* title) {
  const DWORD lineStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  CTemplateBuilder dialog(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION, 170, 76, title, 4);
  dialog.AddItem(kStaticClass, lineStyle, 8, 8, 154, 9, kDocumentLine, "");
  dialog.AddItem(kStaticClass, lineStyle, 8, 20, 154, 9, kPrinterLine, "");
  dialog.AddItem(kStaticClass, lineStyle, 8, 32, 154, 9, kPageLine, "");
  dialog.AddItem(kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, 60, 52, 50, 14, IDCANCEL, "Cancel");
  m_userAbort = false;
  if (!CreateIndirect(dialog.Get(), owner)) return false;
  s_running = this;
  return true;
}

void CPrintStatusDlg::SetLine(int id, const char* text) const { SetDlgItemTextA(m_hWnd, id, text); }

void CPrintStatusDlg::OnCancel() {
  m_userAbort = true;
  ::EnableWindow(GetDlgItem(IDCANCEL), FALSE);
}

bool CPrintStatusDlg::Pump() {
  // Only the status window's own messages: the job may run inside another window's handler,
  // which must not be entered again from here.
  while (!m_userAbort && m_hWnd && MessagePump::DispatchQueued(m_hWnd, true)) {
  }
  return !m_userAbort;
}

BOOL CALLBACK CPrintStatusDlg::AbortProc(HDC, int) { return !s_running || s_running->Pump() ? TRUE : FALSE; }
