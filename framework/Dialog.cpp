// CDialog.
#include "framework/Dialog.h"

#include <windowsx.h>

#include "framework/MessagePump.h"
#include "framework/Module.h"

CDialog::~CDialog() {
  if (m_hWnd) {
    SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    DestroyWindow();
  }
}

bool CDialog::Create(HWND parent) {
  m_parent = parent;
  m_modal = false;
  HWND wnd = CreateDialogParamA(Module::ResourceSource(), MAKEINTRESOURCEA(m_templateId), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this));
  return wnd != nullptr;
}

bool CDialog::CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND owner) {
  m_parent = owner;
  m_modal = false;
  HWND wnd = CreateDialogIndirectParamA(Module::Instance(), dialogTemplate, owner, DialogProc,
                                        reinterpret_cast<LPARAM>(this));
  return wnd != nullptr;
}

INT_PTR CDialog::DoModal() {
  m_modal = true;
  m_endModal = false;
  m_result = -1;
  HWND owner = m_parent;
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  HWND wnd = CreateDialogParamA(Module::ResourceSource(), MAKEINTRESOURCEA(m_templateId), owner, DialogProc,
                                reinterpret_cast<LPARAM>(this));
  if (!wnd) return -1;
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  if (!m_endModal) {
    ::ShowWindow(wnd, SW_SHOW);
    while (!m_endModal) {
      if (!MessagePump::PumpOne()) break;
    }
  }
  if (ownerWasEnabled) {
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
  }
  if (m_hWnd) DestroyWindow();
  return m_result;
}

void CDialog::EndDialog(INT_PTR result) {
  m_result = result;
  if (m_modal) {
    m_endModal = true;
    // Wake the modal loop if it is waiting for a message.
    if (m_hWnd) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
  } else if (m_hWnd) {
    DestroyWindow();
  }
}

bool CDialog::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrA(wnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->m_hWnd = wnd;
  } else {
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(wnd, DWLP_USER));
  }
  if (!self) return FALSE;
  const INT_PTR result = self->Dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(wnd, DWLP_USER, 0);
    self->m_hWnd = nullptr;
  }
  return result;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = 0;
  if (OnMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    case WM_PAINT:
      return OnPaint() ? TRUE : FALSE;
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_MOUSEMOVE:
      OnMouseMove(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    case WM_LBUTTONDOWN:
      OnLButtonDown(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    case WM_LBUTTONUP:
      OnLButtonUp(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    default:
      return FALSE;
  }
}
