// Small rules of the print job: default-printer values of the system profile, copies, the
// status lines, the file kinds printed and the text page's lines. Platform-free.
#pragma once

#include <cstddef>

#include "framework/String.h"

namespace PrintRules {

// The printer name of a `device` value "name,driver,port" (all of it without a comma).
CString DeviceName(const CString& deviceValue);
// The `device` value that makes `name` the default printer, from its entry "driver,port" in
// `Devices`; empty when the entry is empty (the printer is not installed).
CString DeviceValue(const CString& name, const CString& devicesEntry);

// The number of copies the printer is asked for: the stored value within 1..9999.
short CopiesForPrinter(int stored);

// A status line: the text, a space, and what it is about ("On Copier", "Page 1").
CString StatusLine(const CString& text, const CString& subject);

// The part of a file name after its last dot; empty without a dot.
CString Extension(const CString& fileName);
// Files that are printed as text: extension exactly "TXT" or "DOC".
bool IsTextExtension(const CString& extension);

// Whole lines of `lineHeight` device pixels on a page of `pageHeight`; 0 when either is not
// positive.
int LinesPerPage(int pageHeight, int lineHeight);
// The length of a line read from a text file without its line break ("\n" or "\r\n"); a line
// cut at the read limit keeps all its characters.
size_t PrintableLength(const char* line, size_t length);

}  // namespace PrintRules
