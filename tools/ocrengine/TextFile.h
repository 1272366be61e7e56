// Whole small files for the OCR engine: its profile, the recogniser's output, the RTF it saves.
#pragma once

#include <cstddef>
#include <string>

namespace TextFile {
// More text than a scanned page can hold; longer output is cut here.
const size_t kLargestText = 16 * 1024 * 1024;
// At most `limit` bytes from the start of the file; empty when it cannot be read.
std::string Read(const std::string& path, size_t limit);
// Creates (or truncates) the file with `data`; false when it is not written whole.
bool Write(const std::string& path, const std::string& data);
}  // namespace TextFile
