// A page image turned by a right angle into a bitmap file, so that a page fed sideways or upside
// down is recognised, and kept in the searchable document, upright. Through GDI+.
#pragma once

#include <string>

// Writes `image` turned `clockwise` degrees (90, 180 or 270) to `bitmapPath` as a bitmap file
// of the same depth and resolution; false when it could not be read or written.
bool WriteTurnedPage(const std::string& image, int clockwise, const std::string& bitmapPath);
