// The values a program that hands a page to the OCR engine leaves under the engine's key of
// the current user: whether to show a window, where to save the text or which window to
// paste it into, or where to put a searchable PDF or the boxes of the words read instead.
#pragma once

#include <windows.h>

#include <string>

struct HandoffValues {
  bool faceless = false;
  bool paste = false;
  HWND applicationWnd = nullptr;
  std::string autoFileName;  // the 2.0 edition saves the text here when it is set
  std::string pdfFileName;   // either edition makes a searchable PDF here when it is set
  std::string tsvFileName;   // either edition saves the words' boxes (Tesseract's TSV) here when it is set
};

// The key of this edition of the engine (the 96 edition when built with OCRENGINE_EDITION_96).
const char* EngineKey();
bool IsEdition20();
HandoffValues ReadHandoffValues();
