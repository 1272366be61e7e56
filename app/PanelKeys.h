// CPanelKeys: the painted buttons' place in the panel's keyboard order. A child window of the
// panel, first in its tab order and without a face of its own, takes the focus for the nine
// buttons: Tab and Shift+Tab walk them (and hand on to the page's controls after INFO and
// before the first button), the arrow keys move among the destinations, Enter or Space
// presses the focused one, Escape is EXIT. The access keys (Alt with a letter) work wherever
// the focus is in the panel. The panel paints the focus cue on the button named by CueButton.
#pragma once

#include <windows.h>

#include <cstdint>

// The focus cue on a painted button's rectangle (after its face is drawn): a light ring
// inside its edge.
void DrawFocusCue(HDC dc, const RECT& button);

class IPanelKeysOwner {
 public:
  virtual ~IPanelKeysOwner() = default;
  // A button pressed from the keyboard.
  virtual void PressFromKeyboard(uint16_t id) = 0;
  // The focus cue moves from one button to another (0: none); both need drawing again.
  virtual void CueMoved(uint16_t from, uint16_t to) = 0;
  // Whether Escape may end the panel now (no job at work).
  virtual bool MayExit() const = 0;
};

class CPanelKeys {
 public:
  CPanelKeys() = default;
  CPanelKeys(const CPanelKeys&) = delete;
  CPanelKeys& operator=(const CPanelKeys&) = delete;

  // Makes the window, first among the panel's children (so first in the tab order).
  bool Create(HWND panel, IPanelKeysOwner& owner);
  HWND Window() const { return m_wnd; }
  // The button that shows the focus cue: 0 while the focus is elsewhere, and until the
  // keyboard has been used (as Windows hides focus cues until then).
  uint16_t CueButton() const { return m_hasFocus && m_cueShown ? m_focus : 0; }
  // The button the painted focus is on (with or without its cue).
  uint16_t FocusedButton() const { return m_focus; }
  bool HasFocus() const { return m_hasFocus; }
  // Alt with an access key anywhere in the panel: true when it pressed a button.
  bool OfferAccessKey(const MSG& msg);

 private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnKeyDown(WPARAM key);
  void OnFocus(bool gained);
  void MoveTo(uint16_t id);
  void ShowCue();

  HWND m_wnd = nullptr;
  HWND m_panel = nullptr;
  IPanelKeysOwner* m_owner = nullptr;
  uint16_t m_focus = 0;
  bool m_hasFocus = false;
  bool m_cueShown = false;
};
