// Writes 24-bit pixel rows as a bottom-up BMP file.
#pragma once

#include <windows.h>

#include <string>

// ROWS holds HEIGHT top-down rows of WIDTH BGR pixels, each row padded to 4 bytes.
bool WriteBmp24(const std::wstring& path, int width, int height, const BYTE* rows);
