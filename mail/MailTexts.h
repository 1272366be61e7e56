// What the mail library's dialogs take from the library that opens them: its strings (from
// the language library when one is loaded), its message boxes, and its own resources (the
// faces that no language library carries).
#pragma once

#include <windows.h>

#include "framework/String.h"

class IMailTexts {
 public:
  // String `id` of the active resource source.
  virtual CString Text(unsigned id) = 0;
  // The library's message box: string `id`, caption "E-mail", OK, no owner.
  virtual void ShowMessage(unsigned id) = 0;
  virtual HINSTANCE OwnResources() const = 0;

 protected:
  ~IMailTexts() = default;
};
