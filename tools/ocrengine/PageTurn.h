// A page image turned by a right angle into a file of its kind (TIFF or bitmap file), so that a page fed
// sideways or upside down is recognised, and kept in every document made of it, upright. Through GDI+.
#pragma once

#include <string>

// Writes `image` turned `clockwise` degrees (90, 180 or 270) to `path` as a bitmap file when it
// is one, else as an uncompressed TIFF, of the same depth; false when it could not be read or
// written.
bool WriteTurnedPage(const std::string& image, int clockwise, const std::string& path);
