// The acquisition library's application object: start-up (settings file, scanner language,
// language library), the library's strings and message boxes, and the one acquisition.
#pragma once

#include <windows.h>

#include "framework/Handles.h"
#include "framework/String.h"
#include "scan/Acquisition.h"

class CCapturoApp {
 public:
  CCapturoApp();
  ~CCapturoApp();
  CCapturoApp(const CCapturoApp&) = delete;
  CCapturoApp& operator=(const CCapturoApp&) = delete;

  CAcquisition& Acquisition() { return m_acquisition; }

 private:
  void LoadLanguageLibrary();

  CModule m_language;
  CAcquisition m_acquisition;
};
