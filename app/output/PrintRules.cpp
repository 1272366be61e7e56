// Small rules of the print job.
#include "app/output/PrintRules.h"

namespace PrintRules {

namespace {
const int kMostCopies = 9999;
}  // namespace

CString DeviceName(const CString& deviceValue) {
  const int comma = deviceValue.Find(',');
  return comma < 0 ? deviceValue : deviceValue.Left(comma);
}

CString DeviceValue(const CString& name, const CString& devicesEntry) {
  if (devicesEntry.IsEmpty()) return CString();
  return name + "," + devicesEntry;
}

short CopiesForPrinter(int stored) {
  if (stored < 1) return 1;
  return static_cast<short>(stored > kMostCopies ? kMostCopies : stored);
}

CString StatusLine(const CString& text, const CString& subject) { return text + " " + subject; }

CString Extension(const CString& fileName) {
  const int dot = fileName.ReverseFind('.');
  return dot < 0 ? CString() : fileName.Mid(dot + 1);
}

bool IsTextExtension(const CString& extension) { return extension == "TXT" || extension == "DOC"; }

int LinesPerPage(int pageHeight, int lineHeight) {
  if (lineHeight <= 0) return 0;
  return pageHeight > 0 ? pageHeight / lineHeight : 0;
}

size_t PrintableLength(const char* line, size_t length) {
  if (length > 0 && line[length - 1] == '\n') --length;
  if (length > 0 && line[length - 1] == '\r') --length;
  return length;
}

}  // namespace PrintRules
