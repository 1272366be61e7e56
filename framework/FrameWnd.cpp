// Frame, view, document and the single-document template.
#include "framework/FrameWnd.h"

#include "framework/Module.h"

namespace {
const char kFrameClass[] = "OrvaneFrameWnd";
const char kViewClass[] = "OrvaneView";
const int kFirstPaneId = 0xE900;
}  // namespace

CWindow::~CWindow() {
  if (m_hWnd) {
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    DestroyWindow();
  }
}

bool CWindow::CreateWindowOfClass(const char* className, const char* title, DWORD style, DWORD exStyle,
                                  const RECT& rect, HWND parent, HMENU menuOrId) {
  HWND wnd = CreateWindowExA(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, menuOrId, Module::Instance(), this);
  return wnd != nullptr;
}

LRESULT CWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      break;
    case WM_DESTROY:
      OnDestroy();
      break;
  }
  return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWindow::StaticWindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWindow* self;
  if (message == WM_NCCREATE) {
    self = static_cast<CWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_hWnd = wnd;
  } else {
    self = reinterpret_cast<CWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(wnd, message, wParam, lParam);
  const LRESULT result = self->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
  }
  return result;
}

bool CWindow::RegisterClassOnce(const char* className, HICON icon) {
  WNDCLASSA existing;
  if (GetClassInfoA(Module::Instance(), className, &existing)) return true;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = StaticWindowProc;
  wc.hInstance = Module::Instance();
  wc.hIcon = icon;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className;
  return RegisterClassA(&wc) != 0;
}

bool CView::Create(HWND parent, CDocument* document) {
  m_document = document;
  if (!RegisterClassOnce(kViewClass, nullptr)) return false;
  RECT rect = {};
  ::GetClientRect(parent, &rect);
  return CreateWindowOfClass(kViewClass, "", WS_CHILD | WS_VISIBLE, 0, rect, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstPaneId)));
}

bool CFrameWnd::Create(const char* title, HICON icon) {
  if (!RegisterClassOnce(kFrameClass, icon)) return false;
  HWND wnd = CreateWindowExA(0, kFrameClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, Module::Instance(), this);
  return wnd != nullptr;
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && m_view && m_view->GetSafeHwnd()) {
    RECT rect = GetClientRect();
    m_view->MoveWindow(0, 0, rect.right, rect.bottom);
  }
  if (message == WM_COMMAND && m_view && m_view->GetSafeHwnd() &&
      m_view->RouteCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
    return 0;
  }
  return CWindow::WindowProc(message, wParam, lParam);
}

CSingleDocTemplate::~CSingleDocTemplate() {
  // Destroyed while frame and view are whole, so that their destroy handlers run.
  if (m_frame) m_frame->DestroyWindow();
  delete m_view;
  delete m_frame;
  delete m_document;
}

CFrameWnd* CSingleDocTemplate::OpenNewDocument(const char* title) {
  if (m_frame) return m_frame;
  m_document = m_makeDocument();
  m_frame = m_makeFrame();
  m_view = m_makeView();
  HICON icon = LoadIconA(Module::Instance(), MAKEINTRESOURCEA(m_resourceId));
  if (!m_frame->Create(title, icon) || !m_view->Create(m_frame->GetSafeHwnd(), m_document)) return nullptr;
  m_frame->SetActiveView(m_view);
  return m_frame;
}
