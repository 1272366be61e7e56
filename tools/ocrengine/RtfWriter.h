// Recognised text (UTF-8) as a rich-text document: the form in which the OCR engine delivers
// it. Platform-free.
#pragma once

#include <string>

namespace RtfWriter {
// A whole RTF document holding `utf8Text`. Lines keep their breaks; a blank line (or more)
// ends a paragraph. Backslash and braces are escaped; characters of the Western code page
// are written as \'hh, all others as \uN? (surrogate pairs beyond the basic plane); bytes
// that are no valid UTF-8 become the replacement character. Control characters other than
// the tab are dropped.
std::string FromText(const std::string& utf8Text);

// Whether the text holds anything but white space and control characters.
bool HasText(const std::string& utf8Text);
}  // namespace RtfWriter
