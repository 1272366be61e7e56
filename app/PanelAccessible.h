// CPanelAccessible: what a screen reader learns of the painted buttons through Active
// Accessibility. The panel answers WM_GETOBJECT for its client area with this object; its nine
// children (simple elements 1 to 9, in the tab order) are push buttons named by their tooltips
// in the interface language, with the active destination selected, the keyboard focus focused
// and every button unavailable while a job is at work.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <cstdint>

#include "framework/String.h"

class IAccessibleButtons {
 public:
  virtual ~IAccessibleButtons() = default;
  virtual HWND ButtonsWindow() const = 0;
  // The button's name in the program's code page.
  virtual CString ButtonName(uint16_t id) const = 0;
  // Client coordinates of the panel.
  virtual RECT ButtonArea(uint16_t id) const = 0;
  virtual uint16_t SelectedButton() const = 0;
  virtual uint16_t FocusedButton() const = 0;  // 0: none
  virtual bool ButtonAvailable(uint16_t id) const = 0;
};

class CPanelAccessible;

// The panel's side: answers WM_GETOBJECT, tells of focus moves, lets go when the panel goes.
class CPanelAccess {
 public:
  CPanelAccess() = default;
  ~CPanelAccess();
  CPanelAccess(const CPanelAccess&) = delete;
  CPanelAccess& operator=(const CPanelAccess&) = delete;

  // WM_GETOBJECT: true (and the answer) for the client area.
  bool Answer(IAccessibleButtons& buttons, WPARAM wParam, LPARAM lParam, LRESULT& answer);
  // The keyboard focus moved to a painted button (EVENT_OBJECT_FOCUS for its child).
  static void FocusMoved(HWND panel, uint16_t id);
  // The panel is going: the object answers nothing any more.
  void Disconnect();

 private:
  CPanelAccessible* m_object = nullptr;
};
