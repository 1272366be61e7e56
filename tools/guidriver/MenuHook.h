// What guidhook.dll, loaded into the target by a hook, sends back about a window's system menu.
#pragma once

#include <windows.h>

// Registered message the driver sends to the target window; wParam is the receiving window.
constexpr const wchar_t* kMenuRequestMessage = L"OrvaneGuidriverMenuRequest";
// The hook procedure guidhook.dll exports (undecorated) for WH_CALLWNDPROC.
constexpr const char* kMenuHookProc = "MenuHookProc";

// WM_COPYDATA dwData values: one kMenuItem per item, then one kMenuEnd.
constexpr ULONG_PTR kMenuItem = 0x4D454E55;  // "MENU"
constexpr ULONG_PTR kMenuEnd = 0x454E4421;   // "END!"

// lpData of a kMenuItem copy; the text is cut to fit and always terminated.
struct SMenuItem {
  UINT index;
  UINT id;
  UINT type;
  wchar_t text[256];
};

// lpData of kMenuEnd: how many items the menu has, or -1 if it could not be read.
struct SMenuEnd {
  int count;
};
