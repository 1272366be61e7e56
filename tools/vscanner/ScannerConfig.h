// The virtual scanner's scripted behaviour, read from vscanner.ini beside the source
// (section [Scanner]) each time the source is opened.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/String.h"
#include "tools/vscanner/PageModel.h"

struct ScannerConfig {
  std::set<uint16_t> refusedCaps;   // RefuseCaps: MSG_SET of these fails
  std::set<uint16_t> refusedMechs;  // RefuseMechs: ICAP_XFERMECH values refused
  uint16_t currentMech = 0;         // CurrentMech: the mechanism before any MSG_SET
  int failImageInfo = 0;            // FailImageInfo: this many DAT_IMAGEINFO calls fail
  int failAtStrip = 0;              // FailAtStrip: DAT_IMAGEMEMXFER k of a page fails
  int cancelAtStrip = 0;            // CancelAtStrip: ... is cancelled
  int faultPage = 0;                // FaultPage: only page k of a batch fails or is cancelled (0: every page)
  int overrunAtStrip = 0;           // OverrunAtStrip: ... claims more rows than it holds
  int failTransfers = 0;            // FailTransfers: this many native/file pages fail
  int goneAtPage = 0;               // GoneAtPage: the device goes away during page k of a batch
  uint32_t preferred = 512 * 1024;  // Preferred: preferred memory buffer size
  std::map<uint16_t, std::vector<uint32_t>> enumerations;  // Enum_0xCAP: answer with these items
  bool closeRequest = false;                         // CloseRequest: ask to be closed instead of scanning
  int feederPages = 0;                               // FeederPages: a loaded feeder with this many pages
  bool planar = false;                               // Planar: planar colour by default
  std::string info = "21002Orvane virtual scanner";  // Info: Version.Info
  int uiAutoScan = 0;          // UiAutoScan: press Scan on the dialog after this many ms
  int stripDelayMs = 0;        // StripDelayMs: each memory strip takes this long
  CString logPath;             // Log: triplet log (default vscanner.log beside)
  DocumentPlacement document;  // PageLeft/PageTop/PageWidth/PageHeight (inches), PageAngle (degrees)
  // SecondDocument: "left top width height degrees" of another document on the glass.
  std::vector<DocumentPlacement> others;
  double feederAngle = 0;         // FeederAngle: degrees a feeder sheet is pulled in askew
  std::set<int> blankPages;       // BlankPages: these pages of a feeder batch are blank
  std::set<int> upsideDownPages;  // UpsideDownPages: these come upside down (the flatbed's too: 1)
};

// Reads `directory` + "vscanner.ini"; a missing file gives the defaults.
ScannerConfig ReadScannerConfig(const CString& directory);
