// Group 4 fax coding: pass, vertical and horizontal modes against the row above, with the
// run-length codes of T.4.
#include "app/output/imaging/FaxG4Encoder.h"

#include <cstdlib>

namespace {

struct Code {
  uint16_t bits;
  uint8_t length;
};

const Code kWhiteTerminating[64] = {
    {0b00110101, 8}, {0b000111, 6},   {0b0111, 4},     {0b1000, 4},     {0b1011, 4},     {0b1100, 4},
    {0b1110, 4},     {0b1111, 4},     {0b10011, 5},    {0b10100, 5},    {0b00111, 5},    {0b01000, 5},
    {0b001000, 6},   {0b000011, 6},   {0b110100, 6},   {0b110101, 6},   {0b101010, 6},   {0b101011, 6},
    {0b0100111, 7},  {0b0001100, 7},  {0b0001000, 7},  {0b0010111, 7},  {0b0000011, 7},  {0b0000100, 7},
    {0b0101000, 7},  {0b0101011, 7},  {0b0010011, 7},  {0b0100100, 7},  {0b0011000, 7},  {0b00000010, 8},
    {0b00000011, 8}, {0b00011010, 8}, {0b00011011, 8}, {0b00010010, 8}, {0b00010011, 8}, {0b00010100, 8},
    {0b00010101, 8}, {0b00010110, 8}, {0b00010111, 8}, {0b00101000, 8}, {0b00101001, 8}, {0b00101010, 8},
    {0b00101011, 8}, {0b00101100, 8}, {0b00101101, 8}, {0b00000100, 8}, {0b00000101, 8}, {0b00001010, 8},
    {0b00001011, 8}, {0b01010010, 8}, {0b01010011, 8}, {0b01010100, 8}, {0b01010101, 8}, {0b00100100, 8},
    {0b00100101, 8}, {0b01011000, 8}, {0b01011001, 8}, {0b01011010, 8}, {0b01011011, 8}, {0b01001010, 8},
    {0b01001011, 8}, {0b00110010, 8}, {0b00110011, 8}, {0b00110100, 8},
};

const Code kBlackTerminating[64] = {
    {0b0000110111, 10},
    {0b010, 3},
    {0b11, 2},
    {0b10, 2},
    {0b011, 3},
    {0b0011, 4},
    {0b0010, 4},
    {0b00011, 5},
    {0b000101, 6},
    {0b000100, 6},
    {0b0000100, 7},
    {0b0000101, 7},
    {0b0000111, 7},
    {0b00000100, 8},
    {0b00000111, 8},
    {0b000011000, 9},
    {0b0000010111, 10},
    {0b0000011000, 10},
    {0b0000001000, 10},
    {0b00001100111, 11},
    {0b00001101000, 11},
    {0b00001101100, 11},
    {0b00000110111, 11},
    {0b00000101000, 11},
    {0b00000010111, 11},
    {0b00000011000, 11},
    {0b000011001010, 12},
    {0b000011001011, 12},
    {0b000011001100, 12},
    {0b000011001101, 12},
    {0b000001101000, 12},
    {0b000001101001, 12},
    {0b000001101010, 12},
    {0b000001101011, 12},
    {0b000011010010, 12},
    {0b000011010011, 12},
    {0b000011010100, 12},
    {0b000011010101, 12},
    {0b000011010110, 12},
    {0b000011010111, 12},
    {0b000001101100, 12},
    {0b000001101101, 12},
    {0b000011011010, 12},
    {0b000011011011, 12},
    {0b000001010100, 12},
    {0b000001010101, 12},
    {0b000001010110, 12},
    {0b000001010111, 12},
    {0b000001100100, 12},
    {0b000001100101, 12},
    {0b000001010010, 12},
    {0b000001010011, 12},
    {0b000000100100, 12},
    {0b000000110111, 12},
    {0b000000111000, 12},
    {0b000000100111, 12},
    {0b000000101000, 12},
    {0b000001011000, 12},
    {0b000001011001, 12},
    {0b000000101011, 12},
    {0b000000101100, 12},
    {0b000001011010, 12},
    {0b000001100110, 12},
    {0b000001100111, 12},
};

// Make-up codes for 64, 128, ... 1728.
const Code kWhiteMakeUp[27] = {
    {0b11011, 5},     {0b10010, 5},     {0b010111, 6},    {0b0110111, 7},   {0b00110110, 8},
    {0b00110111, 8},  {0b01100100, 8},  {0b01100101, 8},  {0b01101000, 8},  {0b01100111, 8},
    {0b011001100, 9}, {0b011001101, 9}, {0b011010010, 9}, {0b011010011, 9}, {0b011010100, 9},
    {0b011010101, 9}, {0b011010110, 9}, {0b011010111, 9}, {0b011011000, 9}, {0b011011001, 9},
    {0b011011010, 9}, {0b011011011, 9}, {0b010011000, 9}, {0b010011001, 9}, {0b010011010, 9},
    {0b011000, 6},    {0b010011011, 9},
};

const Code kBlackMakeUp[27] = {
    {0b0000001111, 10},    {0b000011001000, 12},  {0b000011001001, 12},  {0b000001011011, 12},
    {0b000000110011, 12},  {0b000000110100, 12},  {0b000000110101, 12},  {0b0000001101100, 13},
    {0b0000001101101, 13}, {0b0000001001010, 13}, {0b0000001001011, 13}, {0b0000001001100, 13},
    {0b0000001001101, 13}, {0b0000001110010, 13}, {0b0000001110011, 13}, {0b0000001110100, 13},
    {0b0000001110101, 13}, {0b0000001110110, 13}, {0b0000001110111, 13}, {0b0000001010010, 13},
    {0b0000001010011, 13}, {0b0000001010100, 13}, {0b0000001010101, 13}, {0b0000001011010, 13},
    {0b0000001011011, 13}, {0b0000001100100, 13}, {0b0000001100101, 13},
};

// Make-up codes for 1792, 1856, ... 2560, the same for both colours.
const Code kExtendedMakeUp[13] = {
    {0b00000001000, 11},  {0b00000001100, 11},  {0b00000001101, 11},  {0b000000010010, 12},
    {0b000000010011, 12}, {0b000000010100, 12}, {0b000000010101, 12}, {0b000000010110, 12},
    {0b000000010111, 12}, {0b000000011100, 12}, {0b000000011101, 12}, {0b000000011110, 12},
    {0b000000011111, 12},
};

const Code kPass = {0b0001, 4};
const Code kHorizontal = {0b001, 3};
// Vertical modes for a1 - b1 = -3 ... 3.
const Code kVertical[7] = {
    {0b0000010, 7}, {0b000010, 6}, {0b010, 3}, {0b1, 1}, {0b011, 3}, {0b000011, 6}, {0b0000011, 7},
};
const Code kEndOfLine = {0b000000000001, 12};

const uint32_t kLongestMakeUp = 2560;
const size_t kOutputChunk = 64 * 1024;

// The first change at or after `from` whose position lies beyond `after` (-1: any).
size_t NextBeyond(const std::vector<uint32_t>& changes, size_t from, int64_t after) {
  while (static_cast<int64_t>(changes[from]) <= after) ++from;
  return from;
}

}  // namespace

bool CFaxG4Encoder::Begin(uint32_t width, Sink sink, void* context) {
  if (width == 0 || !sink) return false;
  m_width = width;
  m_sink = sink;
  m_context = context;
  m_failed = false;
  m_bitBuffer = 0;
  m_bitCount = 0;
  m_out.clear();
  m_out.reserve(kOutputChunk + 16);
  // The row above the first is white.
  m_reference.assign(2, width);
  m_changes.clear();
  m_changes.reserve(width + 2);
  m_reference.reserve(width + 2);
  return true;
}

void CFaxG4Encoder::FindChanges(const uint8_t* inkBits) {
  m_changes.clear();
  bool black = false;
  uint32_t x = 0;
  while (x < m_width) {
    const uint8_t byte = inkBits[x >> 3];
    // Whole bytes of the running colour are passed over at once.
    if ((x & 7) == 0 && byte == (black ? 0xFF : 0x00) && x + 8 <= m_width) {
      x += 8;
      continue;
    }
    const bool pixel = (byte >> (7 - (x & 7))) & 1;
    if (pixel != black) {
      m_changes.push_back(x);
      black = pixel;
    }
    ++x;
  }
  m_changes.push_back(m_width);
  m_changes.push_back(m_width);
}

bool CFaxG4Encoder::AddRow(const uint8_t* inkBits) {
  if (m_failed || !m_sink) return false;
  FindChanges(inkBits);
  // a0 starts on an imaginary white pixel before the row; `black` is the colour from a0 on.
  int64_t a0 = -1;
  bool black = false;
  // First changes beyond a0 on both rows; a0 only moves right, so neither goes back.
  size_t a = 0, above = 0;
  while (a0 < static_cast<int64_t>(m_width)) {
    a = NextBeyond(m_changes, a, a0);
    const uint32_t a1 = m_changes[a];
    // b1: the first change above beyond a0 to the colour opposite a0's. Changes alternate
    // white-to-black (even index) and black-to-white (odd index).
    above = NextBeyond(m_reference, above, a0);
    size_t b = above;
    if (((b & 1) != 0) == !black && m_reference[b] < m_width) ++b;
    const uint32_t b1 = m_reference[b];
    const uint32_t b2 = b1 < m_width ? m_reference[b + 1] : m_width;
    if (b2 < a1) {
      PutCode(kPass.bits, kPass.length);
      a0 = b2;
    } else if (std::abs(static_cast<int64_t>(a1) - static_cast<int64_t>(b1)) <= 3) {
      const Code& code = kVertical[static_cast<int64_t>(a1) - static_cast<int64_t>(b1) + 3];
      PutCode(code.bits, code.length);
      a0 = a1;
      black = !black;
    } else {
      const uint32_t a2 = a1 < m_width ? m_changes[a + 1] : m_width;
      const uint32_t start = a0 < 0 ? 0 : static_cast<uint32_t>(a0);
      PutCode(kHorizontal.bits, kHorizontal.length);
      PutRun(a1 - start, black);
      PutRun(a2 - a1, !black);
      a0 = a2;
    }
    if (m_out.size() >= kOutputChunk && !Flush()) return false;
  }
  m_reference.swap(m_changes);
  return true;
}

void CFaxG4Encoder::PutRun(uint32_t run, bool black) {
  while (run >= kLongestMakeUp) {
    PutCode(kExtendedMakeUp[12].bits, kExtendedMakeUp[12].length);
    run -= kLongestMakeUp;
  }
  if (run >= 64) {
    const uint32_t units = run / 64;
    const Code& code =
        units <= 27 ? (black ? kBlackMakeUp : kWhiteMakeUp)[units - 1] : kExtendedMakeUp[units - 28];
    PutCode(code.bits, code.length);
    run %= 64;
  }
  const Code& code = (black ? kBlackTerminating : kWhiteTerminating)[run];
  PutCode(code.bits, code.length);
}

void CFaxG4Encoder::PutCode(uint32_t bits, int length) {
  m_bitBuffer = (m_bitBuffer << length) | bits;
  m_bitCount += length;
  while (m_bitCount >= 8) {
    m_bitCount -= 8;
    m_out.push_back(static_cast<uint8_t>(m_bitBuffer >> m_bitCount));
  }
}

bool CFaxG4Encoder::Flush() {
  if (!m_out.empty() && !m_sink(m_context, m_out.data(), m_out.size())) m_failed = true;
  m_out.clear();
  return !m_failed;
}

bool CFaxG4Encoder::Finish() {
  if (m_failed || !m_sink) return false;
  // End of block: two end-of-line codes, then zero bits to the byte's end.
  PutCode(kEndOfLine.bits, kEndOfLine.length);
  PutCode(kEndOfLine.bits, kEndOfLine.length);
  if (m_bitCount > 0) PutCode(0, 8 - m_bitCount);
  const bool flushed = Flush();
  m_sink = nullptr;
  return flushed;
}
