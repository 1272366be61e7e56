// CWnd: a window handle with thin member wrappers, and the base of windows whose messages
// reach virtual handlers (CDialog, CFrameWnd, CView).
#pragma once

#include <windows.h>

#include "framework/String.h"

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  void Attach(HWND wnd) { m_hWnd = wnd; }
  HWND Detach() {
    HWND wnd = m_hWnd;
    m_hWnd = nullptr;
    return wnd;
  }

  bool ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command) != FALSE; }
  bool IsVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
  bool MoveWindow(int x, int y, int width, int height, bool repaint = true) const {
    return ::MoveWindow(m_hWnd, x, y, width, height, repaint) != FALSE;
  }
  bool SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags) != FALSE;
  }
  void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
  CString GetWindowText() const;
  RECT GetClientRect() const {
    RECT r = {};
    ::GetClientRect(m_hWnd, &r);
    return r;
  }
  RECT GetWindowRect() const {
    RECT r = {};
    ::GetWindowRect(m_hWnd, &r);
    return r;
  }
  void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(const RECT& r, bool erase) const { ::InvalidateRect(m_hWnd, &r, erase); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse) const { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
  bool KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id) != FALSE; }
  LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
    return ::SendMessageA(m_hWnd, msg, w, l);
  }
  bool PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
    return ::PostMessageA(m_hWnd, msg, w, l) != FALSE;
  }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  bool EnableWindow(bool enable) const { return ::EnableWindow(m_hWnd, enable) != FALSE; }
  bool DestroyWindow();

 protected:
  HWND m_hWnd = nullptr;
};
