// What a settings page needs of the panel it sits on (which implements it): the label strip
// and the active destination.
#pragma once

#include <windows.h>

#include <cstdint>

class IPageHost {
 public:
  virtual HWND HostWindow() const = 0;
  // Names button `id` (a panel or page button) in the label strip.
  virtual void SetLabel(uint16_t id) = 0;
  virtual uint16_t ActiveDestination() const = 0;

 protected:
  ~IPageHost() = default;
};
