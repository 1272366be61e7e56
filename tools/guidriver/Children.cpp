// The child windows of a top-level window and their texts, as a test sees them.
#include "tools/guidriver/Children.h"

namespace {

// Longest control text we read; longer texts are cut, never overrun.
constexpr LRESULT kMaxText = 65536;

void AddDescendants(HWND parent, std::vector<HWND>& out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    out.push_back(child);
    AddDescendants(child, out);
  }
}

}  // namespace

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> out;
  AddDescendants(parent, out);
  return out;
}

std::wstring ControlText(HWND wnd, DWORD timeout) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeout, &length))
    return WindowTitle(wnd);
  if (length == 0) return std::wstring();
  if (static_cast<LRESULT>(length) > kMaxText) length = kMaxText;
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(wnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                           timeout, &copied))
    return WindowTitle(wnd);
  text.resize(copied < length ? copied : length);
  return text;
}

std::wstring WithoutMnemonic(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&')
        out += L'&';
      else
        continue;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::wstring WindowTitle(HWND wnd) {
  // Read from the window structure itself: GetWindowText would send WM_GETTEXT and hang on
  // a window whose thread is busy (a program waiting for a silent server, say).
  wchar_t buffer[1024] = L"";
  InternalGetWindowText(wnd, buffer, 1024);
  return buffer;
}

std::wstring WindowClass(HWND wnd) {
  wchar_t buffer[256] = L"";
  GetClassNameW(wnd, buffer, 256);
  return buffer;
}
