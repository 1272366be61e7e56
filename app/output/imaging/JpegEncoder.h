// CJpegEncoder: a baseline JPEG encoder (JFIF, 4:2:0 colour or greyscale, example Huffman
// tables) that takes the image row by row and hands the bytes to a sink as they are made,
// so that neither side holds more than a strip of the page. Its inner loops are in
// JpegKernels (SSE2). Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/output/imaging/JpegTables.h"

class CJpegEncoder {
 public:
  // Receives the encoded bytes in order; false stops the encoding.
  using Sink = bool (*)(void* context, const uint8_t* data, size_t size);
  enum class Layout {
    kGrey,  // one byte per pixel
    kBgr,   // blue, green, red bytes per pixel, as in a 24-bit bitmap row
  };
  struct Settings {
    uint32_t width = 0;
    uint32_t height = 0;
    Layout layout = Layout::kBgr;
    int quality = 75;  // 1..100, clamped
    int xDpi = 0;      // written as the density; 0 (either) writes an aspect ratio only
    int yDpi = 0;
  };

  static constexpr uint32_t kMaxSide = 65535;  // JPEG's limit for width and height

  CJpegEncoder() = default;
  CJpegEncoder(const CJpegEncoder&) = delete;
  CJpegEncoder& operator=(const CJpegEncoder&) = delete;

  // Writes the headers. False when a side is 0 or above 65535 (JPEG's limit), memory is
  // short, or the sink refuses.
  bool Begin(const Settings& settings, Sink sink, void* context);
  // Takes the next row (the top row first): width pixels in the layout.
  bool AddRow(const uint8_t* pixels);
  // Encodes the last rows and ends the file. False unless exactly `height` rows came.
  bool Finish();

 private:
  struct Component {
    alignas(16) float divisors[64];  // reciprocal quantisers with the transform's scale folded in
    jpeg::HuffmanCodes dc, ac;
    int previousDc = 0;
  };

  void ConvertRow(const uint8_t* pixels, int row);
  bool EncodeStrip();
  void EncodeBlock(float block[64], Component& component);
  void PutBits(uint32_t bits, int count);
  void EmitWord(uint32_t word);
  void PutByte(uint8_t byte);
  void PutMarkerBytes(const uint8_t* data, size_t size);
  void MakeRoomForBlock();
  bool FlushOutput();
  void WriteHeaders(const uint16_t luminance[64], const uint16_t chrominance[64]);

  Settings m_settings;
  Sink m_sink = nullptr;
  void* m_context = nullptr;
  bool m_colour = true;
  bool m_failed = false;
  int m_stripHeight = 16;  // rows of one row of MCUs
  int m_paddedWidth = 0;   // width rounded up to whole MCUs
  int m_rowInStrip = 0;
  uint32_t m_rowsTaken = 0;
  std::unique_ptr<uint8_t[]> m_planes;  // Y, Cb, Cr of one strip, m_paddedWidth per row
  Component m_components[3];
  uint32_t m_bitBuffer = 0;  // the latest bits put, the last in the lowest bit
  int m_freeBits = 32;       // bits of m_bitBuffer that hold nothing yet
  std::unique_ptr<uint8_t[]> m_out;
  size_t m_outUsed = 0;
};
