// What a PDF needs to know of a JPEG file to carry it unchanged: its size, its colour
// components and the resolution its JFIF header states. Read marker by marker from the start
// of the file up to the frame header; every length is checked. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

// Gives exactly `size` bytes from where the previous read ended, or false.
class CByteReader {
 public:
  virtual ~CByteReader() = default;
  virtual bool Read(uint8_t* out, size_t size) = 0;
};

struct JpegHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  int components = 0;  // 1 grey, 3 colour, 4 CMYK
  int xDpi = 0;        // 0 when the file states none
  int yDpi = 0;
  bool adobe = false;  // an Adobe marker: four components are stored inverted
};

enum class JpegHeaderCheck {
  kOk,
  kNotJpeg,      // no start-of-image marker
  kUnsupported,  // lossless, hierarchical or arithmetic coding, 12-bit samples, 2 components
  kDamaged,      // a length or size that cannot be, or the file ends before the frame header
};

JpegHeaderCheck ReadJpegHeader(CByteReader& reader, JpegHeader& out);
