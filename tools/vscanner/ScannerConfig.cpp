// The virtual scanner's settings file.
#include "tools/vscanner/ScannerConfig.h"

#include <cstdio>
#include <cstdlib>

#include "framework/Profile.h"

namespace {
std::vector<uint32_t> Numbers(const CString& text) {
  std::vector<uint32_t> numbers;
  const char* p = text.c_str();
  while (*p) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(p, &end, 0);
    if (end == p) {
      ++p;
      continue;
    }
    numbers.push_back(static_cast<uint32_t>(v));
    p = end;
  }
  return numbers;
}

double Inches(const CProfileFile& file, const char* key, double fallback) {
  const CString text = file.ReadText("Scanner", key, "", 64);
  return text.IsEmpty() ? fallback : std::atof(text.c_str());
}
}  // namespace

ScannerConfig ReadScannerConfig(const CString& directory) {
  const CProfileFile file(directory + "vscanner.ini");
  const char* s = "Scanner";
  ScannerConfig c;
  for (uint32_t v : Numbers(file.ReadText(s, "RefuseCaps", "", 512)))
    c.refusedCaps.insert(static_cast<uint16_t>(v));
  for (uint32_t v : Numbers(file.ReadText(s, "RefuseMechs", "", 64)))
    c.refusedMechs.insert(static_cast<uint16_t>(v));
  c.currentMech = static_cast<uint16_t>(file.ReadInt(s, "CurrentMech", 0));
  c.failImageInfo = file.ReadInt(s, "FailImageInfo", 0);
  c.failAtStrip = file.ReadInt(s, "FailAtStrip", 0);
  c.cancelAtStrip = file.ReadInt(s, "CancelAtStrip", 0);
  c.faultPage = file.ReadInt(s, "FaultPage", 0);
  c.overrunAtStrip = file.ReadInt(s, "OverrunAtStrip", 0);
  c.failTransfers = file.ReadInt(s, "FailTransfers", 0);
  c.goneAtPage = file.ReadInt(s, "GoneAtPage", 0);
  c.preferred = static_cast<uint32_t>(file.ReadInt(s, "Preferred", static_cast<int>(c.preferred)));
  c.closeRequest = file.ReadInt(s, "CloseRequest", 0) != 0;
  c.feederPages = file.ReadInt(s, "FeederPages", 0);
  c.planar = file.ReadInt(s, "Planar", 0) != 0;
  c.info = file.ReadText(s, "Info", c.info.c_str(), 64).str();
  c.uiAutoScan = file.ReadInt(s, "UiAutoScan", 0);
  c.stripDelayMs = file.ReadInt(s, "StripDelayMs", 0);
  c.logPath = file.ReadText(s, "Log", "", 260);
  if (c.logPath.IsEmpty()) c.logPath = directory + "vscanner.log";
  c.document.left = Inches(file, "PageLeft", c.document.left);
  c.document.top = Inches(file, "PageTop", c.document.top);
  c.document.width = Inches(file, "PageWidth", c.document.width);
  c.document.height = Inches(file, "PageHeight", c.document.height);
  c.document.degrees = Inches(file, "PageAngle", 0);
  c.feederAngle = Inches(file, "FeederAngle", 0);
  const CString second = file.ReadText(s, "SecondDocument", "", 128);
  double place[5] = {0, 0, 0, 0, 0};
  if (std::sscanf(second.c_str(), "%lf %lf %lf %lf %lf", &place[0], &place[1], &place[2], &place[3],
                  &place[4]) >= 4) {
    DocumentPlacement other;
    other.left = place[0], other.top = place[1], other.width = place[2], other.height = place[3];
    other.degrees = place[4];
    c.others.push_back(other);
  }
  for (uint32_t v : Numbers(file.ReadText(s, "BlankPages", "", 128)))
    c.blankPages.insert(static_cast<int>(v));
  for (uint32_t v : Numbers(file.ReadText(s, "UpsideDownPages", "", 128)))
    c.upsideDownPages.insert(static_cast<int>(v));
  // Enumeration answers: keys Enum_0x0103 and the like.
  for (uint16_t cap : {0x0103, 0x110C, 0x1120, 0x0101, 0x1002, 0x1003}) {
    const CString key = CString::Format("Enum_0x%04X", cap);
    const CString items = file.ReadText(s, key.c_str(), "\x01", 256);
    if (items != "\x01") c.enumerations[cap] = Numbers(items);
  }
  return c;
}
