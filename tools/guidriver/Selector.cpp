// Which top-level window a command acts on: --hwnd, --title, --class, --title-contains, --pid,
// --child-text.
#include "tools/guidriver/Selector.h"

#include "tools/guidriver/Children.h"
#include "tools/guidriver/Output.h"
#include "tools/guidriver/Wait.h"

namespace {

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
  return TRUE;
}

}  // namespace

bool CSelector::Parse(const CArgs& args, bool required, std::wstring& error) {
  if (args.Has(L"--hwnd")) {
    long long value = 0;
    if (!ParseNumber(args.Value(L"--hwnd"), 1, 0xFFFFFFFFLL, value)) {
      error = L"bad --hwnd " + args.Value(L"--hwnd");
      return false;
    }
    m_hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    m_byHwnd = true;
  }
  m_byTitle = args.Has(L"--title");
  m_title = args.Value(L"--title");
  m_byClass = args.Has(L"--class");
  m_class = args.Value(L"--class");
  m_byTitlePart = args.Has(L"--title-contains");
  m_titlePart = args.Value(L"--title-contains");
  m_byChildText = args.Has(L"--child-text");
  m_childText = args.Value(L"--child-text");
  if (args.Has(L"--pid")) {
    long long pid = 0;
    if (!ParseNumber(args.Value(L"--pid"), 1, 0xFFFFFFFFLL, pid)) {
      error = L"bad --pid " + args.Value(L"--pid");
      return false;
    }
    m_pid = static_cast<DWORD>(pid);
  }
  if (required && !m_byHwnd && !m_byTitle && !m_byClass && !m_byTitlePart && m_pid == 0) {
    error = L"no window selector (--hwnd, --title, --class, --title-contains, --pid)";
    return false;
  }
  return true;
}

bool CSelector::Matches(HWND wnd) const {
  if (!IsWindow(wnd) || !IsWindowVisible(wnd)) return false;
  if (m_byHwnd && wnd != m_hwnd) return false;
  if (m_byTitle && WindowTitle(wnd) != m_title) return false;
  // Class names are case-insensitive in Win32.
  if (m_byClass && lstrcmpiW(WindowClass(wnd).c_str(), m_class.c_str()) != 0) return false;
  if (m_byTitlePart && WindowTitle(wnd).find(m_titlePart) == std::wstring::npos) return false;
  if (m_pid != 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != m_pid) return false;
  }
  if (m_byChildText) {
    // The window structure's own text: a busy target is not asked.
    for (HWND child : Descendants(wnd))
      if (WindowTitle(child) == m_childText) return true;
    return false;
  }
  return true;
}

std::vector<HWND> CSelector::FindAll() const {
  std::vector<HWND> all;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> matching;
  for (HWND wnd : all)
    if (Matches(wnd)) matching.push_back(wnd);
  return matching;
}

bool CSelector::WaitFor(DWORD timeout, HWND& found, std::wstring& error) const {
  bool ok = WaitUntil(timeout, [&] {
    std::vector<HWND> matching = FindAll();
    if (matching.empty()) return false;
    found = matching.front();
    return true;
  });
  if (!ok) error = L"no visible window " + Describe() + L" within " + std::to_wstring(timeout) + L" ms";
  return ok;
}

bool CSelector::WaitGone(DWORD timeout, std::wstring& error) const {
  bool ok = WaitUntil(timeout, [&] { return FindAll().empty(); });
  if (!ok) error = L"window " + Describe() + L" still there after " + std::to_wstring(timeout) + L" ms";
  return ok;
}

std::wstring CSelector::Describe() const {
  std::wstring text;
  if (m_byHwnd) text += L" --hwnd " + HwndText(m_hwnd);
  if (m_byTitle) text += L" --title \"" + m_title + L"\"";
  if (m_byClass) text += L" --class " + m_class;
  if (m_byTitlePart) text += L" --title-contains \"" + m_titlePart + L"\"";
  if (m_pid != 0) text += L" --pid " + std::to_wstring(m_pid);
  if (m_byChildText) text += L" --child-text \"" + m_childText + L"\"";
  return text.empty() ? text : text.substr(1);
}

int SelectWindow(const CArgs& args, HWND& wnd) {
  CSelector selector;
  std::wstring error;
  if (!selector.Parse(args, true, error) || !selector.WaitFor(args.Timeout(), wnd, error)) return Fail(error);
  return 0;
}
