// CSubclassWnd: a control of a dialog whose messages first reach WindowProc (the control's
// own procedure handles whatever WindowProc passes to Default). The base of CListBox and
// CBitmapButton.
#pragma once

#include "framework/Wnd.h"

class CSubclassWnd : public CWnd {
 public:
  ~CSubclassWnd() override { Unsubclass(); }
  // Attaches the dialog item `id` of `dialog` and routes its messages through WindowProc.
  bool SubclassDlgItem(int id, HWND dialog);
  void Unsubclass();

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
  }
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(m_original, m_hWnd, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK SubclassProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
  WNDPROC m_original = nullptr;
};
