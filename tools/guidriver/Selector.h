// Which top-level window a command acts on: --hwnd, --title, --class, --title-contains, --pid,
// and --child-text (a window with a control of exactly that text).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tools/guidriver/Args.h"
#include "tools/guidriver/Children.h"

class CSelector {
 public:
  // Reads the selector options; REQUIRED makes an empty selector an error.
  bool Parse(const CArgs& args, bool required, std::wstring& error);

  bool Matches(HWND wnd) const;
  // Visible matching top-level windows, topmost first.
  std::vector<HWND> FindAll() const;
  // Waits until a visible top-level window matches; false with ERROR on timeout.
  bool WaitFor(DWORD timeout, HWND& found, std::wstring& error) const;
  // Waits until none matches.
  bool WaitGone(DWORD timeout, std::wstring& error) const;

 private:
  std::wstring Describe() const;

  HWND m_hwnd = nullptr;
  bool m_byHwnd = false;
  bool m_byTitle = false;
  bool m_byClass = false;
  bool m_byTitlePart = false;
  bool m_byChildText = false;
  std::wstring m_title;
  std::wstring m_class;
  std::wstring m_titlePart;
  std::wstring m_childText;
  DWORD m_pid = 0;
};

// Reads the selector and waits for its window; on failure prints the reason and returns 1.
int SelectWindow(const CArgs& args, HWND& wnd);
