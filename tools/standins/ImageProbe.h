// What the editor stand-in learns about the file it is given: whether it exists, and whether
// GDI+ opens it as an image (format and size); and a small picture of it for its window.
#pragma once

#include <windows.h>

#include <string>

// GDI+ for the life of the object.
class CGdiPlusSession {
 public:
  CGdiPlusSession();
  ~CGdiPlusSession();
  CGdiPlusSession(const CGdiPlusSession&) = delete;
  CGdiPlusSession& operator=(const CGdiPlusSession&) = delete;
  bool Started() const { return m_token != 0; }

 private:
  ULONG_PTR m_token = 0;
};

struct SImageFacts {
  bool exists = false;         // a file (not a directory) is at the path
  bool opens = false;          // GDI+ loads it as an image
  std::wstring format = L"-";  // "jpeg", "bmp", "tiff", "png", "gif", "other"
  unsigned width = 0;
  unsigned height = 0;
  int status = -1;  // the GDI+ status of the load (0 = Ok); -1 when no load was tried
};

// Needs a started CGdiPlusSession.
SImageFacts ProbeImage(const std::wstring& path);

// A bitmap of the image scaled to fit within maxWidth x maxHeight (aspect kept); null when the
// image does not open. The caller deletes it.
HBITMAP MakeThumbnail(const std::wstring& path, int maxWidth, int maxHeight);
