// Writes 24-bit pixel rows as a bottom-up BMP file.
#include "tools/guidriver/BmpFile.h"

#include "framework/Handles.h"

bool WriteBmp24(const std::wstring& path, int width, int height, const BYTE* rows) {
  DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + imageSize;
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // positive: the last row is written first
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = imageSize;
  info.biXPelsPerMeter = info.biYPelsPerMeter = 3780;  // 96 dpi

  CFileHandle out(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return false;
  DWORD written = 0;
  if (!WriteFile(out.Get(), &file, sizeof file, &written, nullptr) || written != sizeof file ||
      !WriteFile(out.Get(), &info, sizeof info, &written, nullptr) || written != sizeof info)
    return false;
  for (int y = height - 1; y >= 0; --y) {
    if (!WriteFile(out.Get(), rows + static_cast<size_t>(y) * stride, stride, &written, nullptr) ||
        written != stride)
      return false;
  }
  return true;
}
