// The component's use of GDI+: decoding files that are not plain bitmap files into a packed
// bitmap, and telling whether a file is an image.
#pragma once

#include <windows.h>

#include "app/output/imaging/DibLayout.h"

namespace gdiplus_codec {

// GDI+ started for as long as the object lives (every decode and save needs it).
class CSession {
 public:
  CSession();
  ~CSession();
  CSession(const CSession&) = delete;
  CSession& operator=(const CSession&) = delete;
  bool Started() const { return m_token != 0; }

 private:
  ULONG_PTR m_token = 0;
};

// A packed bitmap (header, colour table, bottom-up rows) in a fixed global block.
struct Decoded {
  HGLOBAL dib = nullptr;
  DibLayout layout;
  int xDpi = 0;
  int yDpi = 0;
};

// Decodes any image GDI+ reads. The file is read through a stream of our own that is closed
// before returning, so the file is never left locked.
bool Decode(const wchar_t* path, Decoded& out);
bool CanDecode(const wchar_t* path);
}  // namespace gdiplus_codec
