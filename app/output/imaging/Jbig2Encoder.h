// CJbig2Encoder: a bilevel page as JBIG2 (ITU-T T.88) in the embedded form PDF readers decode
// as JBIG2Decode: a page information segment and one immediate generic region, arithmetic
// coded with the 16-pixel template and typical prediction (a row equal to the one above costs
// about a bit). Takes the page row by row; the coded bytes are kept (about a twentieth of a
// fax-coded page's worth) and go to the sink at the end, behind the segment headers that
// need their length. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CJbig2Encoder {
 public:
  // Receives the coded bytes in order; false stops the coding.
  using Sink = bool (*)(void* context, const uint8_t* data, size_t size);

  // False when a side is 0 or memory is short. `dpi` goes into the page information (0: none).
  bool Begin(uint32_t width, uint32_t height, int dpi);
  // The next row, top first: (width + 7) / 8 bytes, high bit first, 1 for black (ink).
  // False past the last row.
  bool AddRow(const uint8_t* inkBits);
  // Codes the end and hands the whole stream to `sink`. False unless every row came and the
  // sink took everything.
  bool Finish(Sink sink, void* context);

 private:
  void Encode(uint32_t context, int bit);
  void RenormaliseOut();
  void ByteOut();
  void Flush();

  uint32_t m_width = 0, m_height = 0, m_rows = 0;
  int m_dpi = 0;
  // The last three rows, one byte a pixel with a margin of kMargin zeros on either side.
  std::unique_ptr<uint8_t[]> m_lines;
  uint8_t* m_above2 = nullptr;
  uint8_t* m_above = nullptr;
  uint8_t* m_current = nullptr;
  bool m_typical = false;               // the row before was coded as a copy of the one above it
  std::unique_ptr<uint8_t[]> m_states;  // per context: probability state << 1 | more probable symbol
  // The arithmetic coder's registers, as the standard names them.
  uint32_t m_a = 0, m_c = 0;
  int m_ct = 0;
  int m_b = -1;  // the byte waiting to go out; -1 before the first
  std::vector<uint8_t> m_coded;
};
