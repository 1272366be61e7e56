// Layout of device-independent bitmaps, the one description of a bitmap the imaging code uses:
// the information header read (from a file or a packed bitmap in memory) with its checks, the
// sizes of a bitmap file's parts, the 40-byte header written, resolution units, and the
// expansion of palette rows to 24 bits. Platform-free: every size from a file is checked here.
#pragma once

#include <cstddef>
#include <cstdint>

const size_t kFileHeaderBytes = 14;
const size_t kInfoHeaderBytes = 40;
// Bytes of a file's head that hold every header and colour table ParseBitmapFile accepts.
const size_t kBitmapHeadBytes = kFileHeaderBytes + 124 + 256 * 4;

struct DibLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  bool topDown = false;        // rows stored from the top (negative height in the file)
  uint16_t bitsPerPixel = 0;   // 1, 4, 8, 16, 24 or 32, uncompressed
  uint32_t colours = 0;        // colour-table entries (4 bytes each)
  uint32_t paletteOffset = 0;  // in the file
  uint32_t pixelOffset = 0;    // in the file
  uint64_t rowBytes = 0;       // padded to four bytes
  uint64_t imageBytes = 0;     // rowBytes * height
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  // Bytes of the whole bitmap file: headers, colour table and rows.
  uint64_t FileBytes() const { return static_cast<uint64_t>(pixelOffset) + imageBytes; }
};

// The fields of an information header (the 40-byte one, or a later one that begins with it).
struct DibInfoHeader {
  uint32_t size = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 0;
  uint16_t bitsPerPixel = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t coloursUsed = 0;
};

enum class InfoHeaderRead {
  kOk,
  kCore,       // a 12-byte core header (left to the general decoder)
  kNotHeader,  // no header size a bitmap has
  kTruncated,  // fewer bytes than the header has
  kBadDepth,   // a depth no uncompressed bitmap has
  kBadShape,   // a width that is not positive, or no rows
};

// Reads the information header at `info`, of which `available` bytes may be read. With
// kBadDepth and kBadShape the fields are read all the same.
InfoHeaderRead ReadInfoHeader(const uint8_t* info, size_t available, DibInfoHeader& out);

enum class BitmapFileCheck {
  kOk,
  kNotBitmap,    // no "BM" file header with an information header after it
  kUnsupported,  // a bitmap file of a kind read elsewhere (compressed, bit fields, ...)
  kDamaged,      // sizes that contradict each other or the file's length
};

// `head`: the first min(fileSize, kBitmapHeadBytes) bytes of a file of `fileSize` bytes.
BitmapFileCheck ParseBitmapFile(const uint8_t* head, size_t headSize, uint64_t fileSize, DibLayout& out);

// Padded row length; 0 when it does not fit 32 bits.
uint64_t DibRowBytes(uint32_t width, uint16_t bitsPerPixel);

// The 40-byte header of a bottom-up uncompressed packed bitmap.
void WriteInfoHeader(uint8_t out[kInfoHeaderBytes], const DibLayout& layout);

// Dots per inch from pixels per metre (0 stays 0) and back.
int DpiFromPelsPerMeter(int32_t pelsPerMeter);
int32_t PelsPerMeterFromDpi(int dpi);
// The largest resolution kept (a JPEG file's density field holds no more).
const int kLargestDpi = 65535;
// Whole dots per inch of a decoder's floating-point resolution, rounded and held within
// 0..kLargestDpi; 0 (none) for a value that is no number.
int DpiFromReal(float dpi);

// Turns `height` rows of `rowBytes` each upside down in place (top-down to bottom-up).
void FlipRows(uint8_t* rows, size_t rowBytes, uint32_t height);

// One row of a 1, 4 or 8-bit image through its palette (blue, green, red, unused per entry),
// or of a 16-bit (5-5-5) or 32-bit image, to blue-green-red triples. Indexes past the palette give black.
void ExpandRowToBgr(const uint8_t* row, uint16_t bitsPerPixel, const uint8_t* palette, uint32_t colours,
                    uint32_t width, uint8_t* out);
// The same row as red-green-blue triples (what TIFF and PDF store).
void ExpandRowToRgb(const uint8_t* row, uint16_t bitsPerPixel, const uint8_t* palette, uint32_t colours,
                    uint32_t width, uint8_t* out);
// The same row as one grey byte per pixel; meant for palettes that are grey.
void ExpandRowToGrey(const uint8_t* row, uint16_t bitsPerPixel, const uint8_t* palette, uint32_t colours,
                     uint32_t width, uint8_t* out);
// True when every palette entry has equal blue, green and red.
bool PaletteIsGrey(const uint8_t* palette, uint32_t colours);
