// CPanelKeys: focus, Tab order, arrows, Enter, Space, Escape and the access keys of the
// painted buttons.
#include "app/PanelKeys.h"

#include "app/PanelAccessible.h"
#include "app/PanelFocus.h"
#include "app/PanelRules.h"
#include "framework/Module.h"

using namespace PanelFocus;

namespace {
const char kClassName[] = "OrvanePanelKeys";
// The light blue of the panel's active SCAN face.
const COLORREF kCueColour = RGB(110, 190, 255);

bool KeyDown(int key) { return GetKeyState(key) < 0; }

bool RegisterOnce() {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(Module::Instance(), kClassName, &windowClass)) return true;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = Module::Instance();
  windowClass.lpszClassName = kClassName;
  return RegisterClassA(&windowClass) != 0;
}
}  // namespace

void DrawFocusCue(HDC dc, const RECT& button) {
  // A rounded ring in the panel's light blue inside the face's edge; its width, inset and
  // corners grow with the button, so that it keeps its look at any scale of the layout.
  const int height = button.bottom - button.top;
  const int width = height >= 44 ? 3 : 2;
  const int inset = width + 1;
  const int corner = height / 4;
  if (button.right - button.left <= 4 * inset || height <= 4 * inset) return;
  HPEN ring = CreatePen(PS_SOLID, width, kCueColour);
  // A white line inside the ring keeps it apart from the blue SCAN face.
  HPEN edge = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  if (ring && edge) {
    HGDIOBJ oldPen = SelectObject(dc, ring);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, button.left + inset, button.top + inset, button.right - inset, button.bottom - inset,
              corner, corner);
    const int inner = inset + width;
    SelectObject(dc, edge);
    RoundRect(dc, button.left + inner, button.top + inner, button.right - inner, button.bottom - inner,
              corner, corner);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  }
  if (ring) DeleteObject(ring);
  if (edge) DeleteObject(edge);
}

bool CPanelKeys::Create(HWND panel, IPanelKeysOwner& owner) {
  if (!RegisterOnce()) return false;
  m_panel = panel;
  m_owner = &owner;
  m_focus = FirstButton();
  // No size: it is never seen, only focused.
  m_wnd = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, panel, nullptr,
                          Module::Instance(), nullptr);
  if (!m_wnd) return false;
  SetWindowLongPtrA(m_wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(m_wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPanelKeys::WindowProc));
  SetWindowPos(m_wnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

LRESULT CALLBACK CPanelKeys::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CPanelKeys*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(wnd, message, wParam, lParam);
  switch (message) {
    case WM_GETDLGCODE:
      // Every key comes here while a painted button has the focus; Tab is handed on below.
      return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      return self->OnKeyDown(wParam);
    case WM_CHAR:
      return 0;
    case WM_GETOBJECT:
      // The focus is here while a painted button has it: a screen reader asking this window
      // gets the panel's buttons.
      if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT))
        return ::SendMessageA(self->m_panel, WM_GETOBJECT, wParam, lParam);
      break;
    case WM_SETFOCUS:
      self->OnFocus(true);
      return 0;
    case WM_KILLFOCUS:
      self->OnFocus(false);
      return 0;
    case WM_DESTROY:
      SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
      self->m_wnd = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(wnd, message, wParam, lParam);
}

LRESULT CPanelKeys::OnKeyDown(WPARAM key) {
  switch (key) {
    case VK_TAB: {
      const bool backward = KeyDown(VK_SHIFT);
      // The page's controls follow INFO and come before the first button: the dialog's own
      // order takes the focus there (or round to this window, when the page has none).
      const uint16_t next = Tab(m_focus, backward, true);
      if (next == kPageFirst || next == kPageLast) {
        ::SendMessageA(m_panel, WM_NEXTDLGCTL, backward ? 1 : 0, FALSE);
        // Nothing else takes the focus: round the buttons.
        if (GetFocus() == m_wnd) MoveTo(backward ? LastButton() : FirstButton());
      } else {
        MoveTo(next);
      }
      return 0;
    }
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (const uint16_t next = Arrow(m_focus, key == VK_LEFT || key == VK_UP)) MoveTo(next);
      ShowCue();
      return 0;
    case VK_RETURN:
    case VK_SPACE:
      ShowCue();
      m_owner->PressFromKeyboard(m_focus);
      return 0;
    case VK_ESCAPE:
      if (m_owner->MayExit()) m_owner->PressFromKeyboard(Panel::kExit);
      return 0;
    default:
      return 0;
  }
}

void CPanelKeys::OnFocus(bool gained) {
  const uint16_t before = CueButton();
  m_hasFocus = gained;
  if (gained && KeyDown(VK_TAB)) {
    // Arrived by Tab from the page: forward to the first button, back to the last.
    m_focus = KeyDown(VK_SHIFT) ? LastButton() : FirstButton();
    m_cueShown = true;
  }
  if (before != CueButton()) m_owner->CueMoved(before, CueButton());
  if (gained) CPanelAccess::FocusMoved(m_panel, m_focus);
}

void CPanelKeys::MoveTo(uint16_t id) {
  const uint16_t before = CueButton();
  m_focus = id;
  m_cueShown = true;
  if (before != CueButton()) m_owner->CueMoved(before, CueButton());
  if (m_hasFocus) CPanelAccess::FocusMoved(m_panel, m_focus);
}

void CPanelKeys::ShowCue() {
  if (m_cueShown) return;
  m_cueShown = true;
  m_owner->CueMoved(0, CueButton());
}

bool CPanelKeys::OfferAccessKey(const MSG& msg) {
  if (msg.message != WM_SYSKEYDOWN || !m_wnd || !(msg.lParam & (1 << 29)) || KeyDown(VK_CONTROL))
    return false;
  if (!msg.hwnd || GetAncestor(msg.hwnd, GA_ROOT) != m_panel) return false;
  if (msg.wParam < 'A' || msg.wParam > 'Z') return false;
  const uint16_t id = ButtonForAccessKey(static_cast<char>(msg.wParam));
  if (!id) return false;
  SetFocus(m_wnd);
  MoveTo(id);
  m_owner->PressFromKeyboard(id);
  return true;
}
