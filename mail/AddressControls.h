// What the address book's own controls (its lists and its Add button) tell the dialog that
// holds them: mouse traffic for its tooltips, and the Delete key in a list.
#pragma once

#include <windows.h>

class CMailListBox;

class IAddressControlsOwner {
 public:
  virtual void RelayToolTip(HWND from, UINT message, WPARAM wParam, LPARAM lParam) const = 0;
  virtual void OnListDeleteKey(CMailListBox& list) = 0;

 protected:
  ~IAddressControlsOwner() = default;
};
