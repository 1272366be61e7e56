// CDialog: a dialog from a resource template, modal (with the framework's own message loop,
// so that the application's pre-translation sees every queued message) or modeless as a
// child page. One virtual handler per message; OnMessage catches the rest.
#pragma once

#include "framework/Wnd.h"

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, HWND parent = nullptr) : m_templateId(templateId), m_parent(parent) {}
  ~CDialog() override;

  // Runs the dialog modally; returns the code given to EndDialog (-1 when it cannot be made).
  INT_PTR DoModal();
  // Creates the dialog modeless, as a child of `parent`.
  bool Create(HWND parent);
  // Creates the dialog modeless from a template in memory, owned by `owner`.
  bool CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND owner);
  void EndDialog(INT_PTR result);
  UINT TemplateId() const { return m_templateId; }

 protected:
  virtual bool OnInitDialog() { return true; }
  // Returns true when the command was handled.
  virtual bool OnCommand(WORD id, WORD code, HWND control);
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  virtual void OnClose() { OnCancel(); }
  virtual void OnDestroy() {}
  virtual bool OnPaint() { return false; }
  virtual void OnTimer(UINT_PTR id) {}
  virtual void OnMouseMove(UINT flags, POINT point) {}
  virtual void OnLButtonDown(UINT flags, POINT point) {}
  virtual void OnLButtonUp(UINT flags, POINT point) {}
  // Any other message; set `result` and return true to handle it.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) { return false; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_templateId;
  HWND m_parent;
  bool m_modal = false;
  bool m_endModal = false;
  INT_PTR m_result = -1;
};
