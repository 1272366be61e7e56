// Keyboard rules of the front panel, without any platform call: the fixed order Tab and
// Shift+Tab follow through the painted buttons and the shown page's controls, the arrow keys
// among the destinations, and each button's access key.
#pragma once

#include <cstdint>

namespace PanelFocus {

// Where the keyboard focus is, or goes: a painted button's id, or the page's controls.
constexpr uint16_t kPageFirst = 1;  // the shown page's first control (Tab from INFO)
constexpr uint16_t kPageLast = 2;   // the shown page's last control (Shift+Tab from the first button)
constexpr uint16_t kInPage = 3;     // somewhere inside the page

// The painted buttons in their tab order: the five destinations, SCAN, EXIT, HELP, INFO.
uint16_t FirstButton();
uint16_t LastButton();

// Where Tab (`backward` false) or Shift+Tab leads from `focus` (a painted button, or kPageFirst /
// kPageLast for the page's first / last control): after INFO come the page's controls (when
// the page has any: `pageHasStops`), after them the first button again.
uint16_t Tab(uint16_t focus, bool backward, bool pageHasStops);

// Arrow keys among the destinations (Up and Left back, Down and Right on, both round);
// 0 when `focus` is not a destination.
uint16_t Arrow(uint16_t focus, bool backward);

// The button whose access key (Alt with the letter) is `letter`, upper or lower case; 0 for
// none.
uint16_t ButtonForAccessKey(char letter);
// The access key of a painted button (upper case); 0 for another id.
char AccessKey(uint16_t id);

}  // namespace PanelFocus
