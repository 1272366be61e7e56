// CScanImage: the program's imaging component (on GDI+). Loads a page file, converts it, saves
// it as JPEG or TIFF and hands out a packed device-independent bitmap for drawing. The rest
// of the program reads, converts, saves and prints pages only through this class.
// The pixels are held once, as the packed bitmap itself: plain bitmap files are read straight
// into it, other formats are decoded by GDI+ strip by strip. A page that is only to be saved
// can leave a plain bitmap file's rows in the file: the save then reads them band by band, so
// a page of any size is compressed through about a megabyte. JPEG is written by our own encoder
// (the platform's ignores the quality factor), TIFF by our own writer, both as the rows come.
// A save goes to a new file that then replaces the target.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/GdiplusCodec.h"
#include "framework/Handles.h"

// Format codes of Save.
const int kImageFormatTiff = 3;
const int kImageFormatJpeg = 10;

class CScanImage {
 public:
  // GDI+ for as long as the session lives: the application's holds it from its start-up to
  // its exit.
  using CSession = gdiplus_codec::CSession;

  // "File information": true when the file is an image the component can read.
  static bool IsImageFile(const char* path);
  // "File options": the load options used by printing (kept for the calling order; the
  // component needs none).
  static void SetFileOptions();

  CScanImage();  // "create image": an empty image
  ~CScanImage();
  CScanImage(const CScanImage&) = delete;
  CScanImage& operator=(const CScanImage&) = delete;

  // What Load does with the rows of a plain bitmap file.
  enum class Rows {
    kRead,         // read in at once
    kLeaveInFile,  // left in the file, which stays open (others may still read, write, replace
                   // or delete it) until the rows are read: band by band by Save, whole by
                   // PackedBitmap and ConvertTo24Bits; Save then releases the image
  };
  // Loads the file's pixels, size, bits per pixel and resolution. False when it cannot. Other
  // formats than plain bitmap files are always read in.
  bool Load(const char* path, Rows rows = Rows::kRead);
  // Writes the image to `path` (which may be the file it came from) in format 10 (JPEG,
  // `quality` 1..100) or 3 (TIFF). `bitsPerPixel` is the image's own, as the callers pass it:
  // the image is written at its depth (JPEG: greyscale for 8 bits or fewer with a grey
  // palette, colour otherwise). False when it cannot; then the file at `path` is unchanged.
  // An image whose rows are still in its file is released by Save: the file is closed before
  // the new one replaces the target, which may be that file.
  bool Save(const char* path, int formatCode, int bitsPerPixel, int quality);
  // Converts the image to 24 bits per pixel. False when it cannot.
  bool ConvertTo24Bits();
  // A packed DIB (BITMAPINFOHEADER, colour table, bottom-up rows) of the image; owned by the
  // image, valid until it is converted, loaded again or released. Null when nothing is loaded.
  HGLOBAL PackedBitmap();
  // "release image": frees the pixels; the object can load again.
  void Release();

  bool IsLoaded() const;
  int Width() const { return static_cast<int>(m_layout.width); }
  int Height() const { return static_cast<int>(m_layout.height); }
  int BitsPerPixel() const { return m_layout.bitsPerPixel; }
  // Dots per inch; 0 when the file gives none.
  int XResolution() const { return m_xResolution; }
  int YResolution() const { return m_yResolution; }
  void SetResolution(int x, int y);

 private:
  bool ReadRowsIn();
  bool WritePage(HANDLE file, int formatCode, int quality);
  const uint8_t* Palette() const;
  const uint8_t* StoredRows() const;
  // Takes `packed` (a block of its own) as the image.
  void Adopt(HGLOBAL packed, const DibLayout& layout, int xDpi, int yDpi);

  CGlobalMemory m_packed;  // the pixels: a fixed global block, header first
  DibLayout m_layout;
  // With the rows left in the file: the file, and where its rows lie. m_packed then holds
  // the header and colour table only.
  CFileHandle m_rowFile;
  DibLayout m_rowFileLayout;
  int m_xResolution = 0;
  int m_yResolution = 0;
};
