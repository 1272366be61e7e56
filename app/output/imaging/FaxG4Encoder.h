// CFaxG4Encoder: two-dimensional fax coding of bilevel rows (ITU-T T.6, "Group 4"), the
// lossless compression PDF readers decode as CCITTFaxDecode with K -1. Takes the page row by
// row and hands the bytes to a sink as they are made; it keeps only two rows' changes.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CFaxG4Encoder {
 public:
  // Receives the coded bytes in order; false stops the coding.
  using Sink = bool (*)(void* context, const uint8_t* data, size_t size);

  // False when the width is 0 or the sink is missing.
  bool Begin(uint32_t width, Sink sink, void* context);
  // The next row, top first: (width + 7) / 8 bytes, the first pixel in the high bit of the
  // first byte, 1 for black (ink). Bits past the width are ignored.
  bool AddRow(const uint8_t* inkBits);
  // Writes the end-of-block code and the last byte. False when the sink refused anything.
  bool Finish();

 private:
  void FindChanges(const uint8_t* inkBits);
  void PutCode(uint32_t bits, int length);
  void PutRun(uint32_t run, bool black);
  bool Flush();

  uint32_t m_width = 0;
  Sink m_sink = nullptr;
  void* m_context = nullptr;
  bool m_failed = false;
  // Positions where the colour changes (from white before the first pixel), ending with
  // two entries at the width: the row being coded and the row above it.
  std::vector<uint32_t> m_changes, m_reference;
  uint64_t m_bitBuffer = 0;
  int m_bitCount = 0;
  std::vector<uint8_t> m_out;
};
