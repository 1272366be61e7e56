// JPEG markers up to the frame header.
#include "app/output/imaging/JpegHeader.h"

#include <cstring>

namespace {

const uint8_t kStartOfImage = 0xD8;
const uint8_t kEndOfImage = 0xD9;
const uint8_t kStartOfScan = 0xDA;
const uint8_t kJfifMarker = 0xE0;
const uint8_t kAdobeMarker = 0xEE;
// A file that holds more segments than this before its frame is not a page of ours.
const int kMostSegments = 4096;

uint16_t BigEndian16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// Markers that carry no length: RSTn and TEM.
bool StandsAlone(uint8_t marker) { return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01; }

bool IsFrameHeader(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Baseline, extended and progressive Huffman coding: what PDF's DCT filter decodes.
bool IsSupportedFrame(uint8_t marker) { return marker == 0xC0 || marker == 0xC1 || marker == 0xC2; }

// Dots per inch from a JFIF density: unit 1 dots per inch, unit 2 dots per centimetre.
int DensityToDpi(uint8_t unit, uint16_t density) {
  if (unit == 1) return density;
  if (unit == 2) return static_cast<int>((density * 254 + 50) / 100);
  return 0;
}

void ReadJfif(const uint8_t* payload, size_t size, JpegHeader& out) {
  // "JFIF\0", version (2), unit (1), x and y density (2 each).
  if (size < 12 || std::memcmp(payload, "JFIF", 5) != 0) return;
  out.xDpi = DensityToDpi(payload[7], BigEndian16(payload + 8));
  out.yDpi = DensityToDpi(payload[7], BigEndian16(payload + 10));
  if (out.xDpi == 0 || out.yDpi == 0) out.xDpi = out.yDpi = 0;
}

JpegHeaderCheck ReadFrame(uint8_t marker, const uint8_t* payload, size_t size, JpegHeader& out) {
  if (!IsSupportedFrame(marker)) return JpegHeaderCheck::kUnsupported;
  // Precision (1), height (2), width (2), components (1), then 3 bytes per component.
  if (size < 6) return JpegHeaderCheck::kDamaged;
  const int components = payload[5];
  if (payload[0] != 8 || (components != 1 && components != 3 && components != 4))
    return JpegHeaderCheck::kUnsupported;
  if (size < 6 + 3u * components) return JpegHeaderCheck::kDamaged;
  out.height = BigEndian16(payload + 1);
  out.width = BigEndian16(payload + 3);
  out.components = components;
  // A height given only after the scan (a DNL marker) is not known here.
  if (out.height == 0) return JpegHeaderCheck::kUnsupported;
  return out.width ? JpegHeaderCheck::kOk : JpegHeaderCheck::kDamaged;
}

}  // namespace

JpegHeaderCheck ReadJpegHeader(CByteReader& reader, JpegHeader& out) {
  out = JpegHeader();
  uint8_t bytes[2];
  if (!reader.Read(bytes, 2) || bytes[0] != 0xFF || bytes[1] != kStartOfImage)
    return JpegHeaderCheck::kNotJpeg;
  // The first bytes of a segment are all that is read of it; the rest is passed over.
  uint8_t payload[256];
  for (int segment = 0; segment < kMostSegments; ++segment) {
    // A marker: 0xFF, any fill bytes 0xFF, then its code.
    if (!reader.Read(bytes, 1) || bytes[0] != 0xFF) return JpegHeaderCheck::kDamaged;
    do {
      if (!reader.Read(bytes, 1)) return JpegHeaderCheck::kDamaged;
    } while (bytes[0] == 0xFF);
    const uint8_t marker = bytes[0];
    if (StandsAlone(marker)) continue;
    if (marker == 0 || marker == kStartOfImage || marker == kEndOfImage || marker == kStartOfScan)
      return JpegHeaderCheck::kDamaged;
    if (!reader.Read(bytes, 2)) return JpegHeaderCheck::kDamaged;
    const uint16_t length = BigEndian16(bytes);
    if (length < 2) return JpegHeaderCheck::kDamaged;
    const size_t size = length - 2u;
    const size_t kept = size < sizeof(payload) ? size : sizeof(payload);
    if (!reader.Read(payload, kept)) return JpegHeaderCheck::kDamaged;
    for (size_t rest = size - kept; rest > 0;) {
      uint8_t skipped[256];
      const size_t piece = rest < sizeof(skipped) ? rest : sizeof(skipped);
      if (!reader.Read(skipped, piece)) return JpegHeaderCheck::kDamaged;
      rest -= piece;
    }
    if (IsFrameHeader(marker)) return ReadFrame(marker, payload, kept, out);
    if (marker == kJfifMarker) ReadJfif(payload, kept, out);
    if (marker == kAdobeMarker && kept >= 5 && std::memcmp(payload, "Adobe", 5) == 0) out.adobe = true;
  }
  return JpegHeaderCheck::kDamaged;
}
