// CPrintJob: what printing one job's page needs from the rest of the program.
#pragma once

#include <windows.h>

#include "framework/String.h"

// Texts of a print job, already loaded: the status texts from the program's own table, the
// messages localised.
struct CPrintTexts {
  CString cancel;        // "Cancel"
  CString on;            // "On" (before the printer's name)
  CString page;          // "Page" (before the page number)
  CString loading;       // "Load image..."
  CString sending;       // "Send image..."
  CString loadFailed;    // the image cannot be loaded
  CString notAvailable;  // the printer (%s) is not available
  CString printFailed;   // the page could not be printed
};

struct CPrintJob {
  int copyMode = 1;  // 1 Copy (scaled, centred, on the copy printer), 0 Fax (natural size)
  CString imagePath;
  CString imageFileName;
  CString settingsPath;  // the settings file with "Copy Setting" and "Fax Setting"
  CString appTitle;      // caption of the job's messages
  CPrintTexts texts;
};
