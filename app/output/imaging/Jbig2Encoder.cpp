// The JBIG2 generic region coder: the arithmetic coder, the template and the segments.
#include "app/output/imaging/Jbig2Encoder.h"

#include "app/output/imaging/DibLayout.h"

#include <cstring>
#include <new>

namespace {
const size_t kMargin = 8;

// The arithmetic coder's probability states: the less probable symbol's estimate, the next
// state after each symbol, and whether the more probable symbol turns after the less probable.
struct State {
  uint16_t qe;
  uint8_t nextMore, nextLess, turns;
};
const State kStates[47] = {
    {0x5601, 1, 1, 1},   {0x3401, 2, 6, 0},   {0x1801, 3, 9, 0},   {0x0AC1, 4, 12, 0},  {0x0521, 5, 29, 0},
    {0x0221, 38, 33, 0}, {0x5601, 7, 6, 1},   {0x5401, 8, 14, 0},  {0x4801, 9, 14, 0},  {0x3801, 10, 14, 0},
    {0x3001, 11, 17, 0}, {0x2401, 12, 18, 0}, {0x1C01, 13, 20, 0}, {0x1601, 29, 21, 0}, {0x5601, 15, 14, 1},
    {0x5401, 16, 14, 0}, {0x5101, 17, 15, 0}, {0x4801, 18, 16, 0}, {0x3801, 19, 17, 0}, {0x3401, 20, 18, 0},
    {0x3001, 21, 19, 0}, {0x2801, 22, 19, 0}, {0x2401, 23, 20, 0}, {0x2201, 24, 21, 0}, {0x1C01, 25, 22, 0},
    {0x1801, 26, 23, 0}, {0x1601, 27, 24, 0}, {0x1401, 28, 25, 0}, {0x1201, 29, 26, 0}, {0x1101, 30, 27, 0},
    {0x0AC1, 31, 28, 0}, {0x09C1, 32, 29, 0}, {0x08A1, 33, 30, 0}, {0x0521, 34, 31, 0}, {0x0441, 35, 32, 0},
    {0x02A1, 36, 33, 0}, {0x0221, 37, 34, 0}, {0x0141, 38, 35, 0}, {0x0111, 39, 36, 0}, {0x0085, 40, 37, 0},
    {0x0049, 41, 38, 0}, {0x0025, 42, 39, 0}, {0x0015, 43, 40, 0}, {0x0009, 44, 41, 0}, {0x0005, 45, 42, 0},
    {0x0001, 45, 43, 0}, {0x5601, 46, 46, 0},
};

// The context in which a row's "same as above" flag is coded with the 16-pixel template.
const uint32_t kTypicalContext = 0x9B25;
const uint8_t kPageInformation = 48;
const uint8_t kImmediateGenericRegion = 38;
// The adaptive pixels at their usual places (x, y pairs).
const int8_t kAdaptivePixels[8] = {3, -1, -3, -1, 2, -2, -2, -2};

void PutWord(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// A segment header: its number, type, no referred segments, page 1, data length.
void PutSegmentHeader(std::vector<uint8_t>& out, uint32_t number, uint8_t type, uint32_t length) {
  PutWord(out, number);
  out.push_back(type);
  out.push_back(0);
  out.push_back(1);
  PutWord(out, length);
}
}  // namespace

bool CJbig2Encoder::Begin(uint32_t width, uint32_t height, int dpi) {
  if (width == 0 || height == 0 || width > UINT32_MAX - 2 * kMargin) return false;
  m_width = width;
  m_height = height;
  m_dpi = dpi;
  m_rows = 0;
  const size_t line = width + 2 * kMargin;
  m_lines.reset(new (std::nothrow) uint8_t[line * 3]());
  m_states.reset(new (std::nothrow) uint8_t[65536]());
  if (!m_lines || !m_states) return false;
  m_above2 = m_lines.get() + kMargin;
  m_above = m_above2 + line;
  m_current = m_above + line;
  m_typical = false;
  m_coded.clear();
  m_a = 0x8000;
  m_c = 0;
  m_ct = 12;
  m_b = -1;
  return true;
}

void CJbig2Encoder::Encode(uint32_t context, int bit) {
  uint8_t& entry = m_states[context];
  const State& state = kStates[entry >> 1];
  const int more = entry & 1;
  const uint32_t qe = state.qe;
  m_a -= qe;
  if (bit == more) {
    if (m_a & 0x8000) {
      m_c += qe;
      return;
    }
    if (m_a < qe)
      m_a = qe;
    else
      m_c += qe;
    entry = static_cast<uint8_t>(state.nextMore << 1 | more);
  } else {
    if (m_a < qe)
      m_c += qe;
    else
      m_a = qe;
    entry = static_cast<uint8_t>(state.nextLess << 1 | (state.turns ? 1 - more : more));
  }
  RenormaliseOut();
}

void CJbig2Encoder::RenormaliseOut() {
  do {
    m_a <<= 1;
    m_c <<= 1;
    if (--m_ct == 0) ByteOut();
  } while ((m_a & 0x8000) == 0);
}

void CJbig2Encoder::ByteOut() {
  // After a byte of 0xFF only seven bits go out (a carry into it is then impossible).
  if (m_b != 0xFF && m_c >= 0x8000000) {
    // The carry goes into the waiting byte (never the first: the interval starts below it).
    ++m_b;
    m_c &= 0x7FFFFFF;
  }
  if (m_b >= 0) m_coded.push_back(static_cast<uint8_t>(m_b));
  const bool afterFF = m_b == 0xFF;
  m_b = static_cast<int>(m_c >> (afterFF ? 20 : 19));
  m_c &= afterFF ? 0xFFFFF : 0x7FFFF;
  m_ct = afterFF ? 7 : 8;
}

void CJbig2Encoder::Flush() {
  // As many 1 bits as the interval allows, then the last bytes and the end marker.
  const uint32_t top = m_c + m_a;
  m_c |= 0xFFFF;
  if (m_c >= top) m_c -= 0x8000;
  m_c <<= m_ct;
  ByteOut();
  m_c <<= m_ct;
  ByteOut();
  if (m_b >= 0) m_coded.push_back(static_cast<uint8_t>(m_b));
  if (m_b != 0xFF) m_coded.push_back(0xFF);
  m_coded.push_back(0xAC);
  m_b = -1;
}

bool CJbig2Encoder::AddRow(const uint8_t* inkBits) {
  if (!m_lines || m_rows >= m_height) return false;
  // The rows move up: the oldest line takes the new row.
  uint8_t* oldest = m_above2;
  m_above2 = m_above;
  m_above = m_current;
  m_current = oldest;
  for (uint32_t x = 0; x < m_width; ++x) m_current[x] = (inkBits[x >> 3] >> (7 - (x & 7))) & 1;
  ++m_rows;
  // Typical prediction: the flag says whether this row's sameness differs from the last's.
  const bool same = std::memcmp(m_current, m_above, m_width) == 0;
  Encode(kTypicalContext, same != m_typical);
  m_typical = same;
  if (same) return true;
  // The template: four pixels before on this row, seven around above (one adaptive), five two
  // rows up (two adaptive), each kept in a window that moves one pixel at a time.
  const uint8_t* row1 = m_above;
  const uint8_t* row2 = m_above2;
  const uint8_t* row0 = m_current;
  uint32_t window0 = 0;
  uint32_t window1 = static_cast<uint32_t>(row1[-3] << 6 | row1[-2] << 5 | row1[-1] << 4 | row1[0] << 3 |
                                           row1[1] << 2 | row1[2] << 1 | row1[3]);
  uint32_t window2 =
      static_cast<uint32_t>(row2[-2] << 4 | row2[-1] << 3 | row2[0] << 2 | row2[1] << 1 | row2[2]);
  for (uint32_t x = 0; x < m_width; ++x) {
    const int pixel = row0[x];
    Encode(window0 | window1 << 4 | window2 << 11, pixel);
    window0 = ((window0 << 1) | static_cast<uint32_t>(pixel)) & 0xF;
    window1 = ((window1 << 1) | row1[x + 4]) & 0x7F;
    window2 = ((window2 << 1) | row2[x + 3]) & 0x1F;
  }
  return true;
}

bool CJbig2Encoder::Finish(Sink sink, void* context) {
  if (!m_lines || m_rows != m_height || !sink) return false;
  Flush();
  std::vector<uint8_t> head;
  // The page: its size, resolution in pixels per metre, lossless, white, no stripes.
  const uint32_t perMetre = static_cast<uint32_t>(PelsPerMeterFromDpi(m_dpi));
  PutSegmentHeader(head, 0, kPageInformation, 19);
  PutWord(head, m_width);
  PutWord(head, m_height);
  PutWord(head, perMetre);
  PutWord(head, perMetre);
  head.push_back(1);
  head.push_back(0);
  head.push_back(0);
  // The region: the whole page at 0, 0, written over the page; the 16-pixel template with
  // typical prediction, and its adaptive pixels.
  PutSegmentHeader(head, 1, kImmediateGenericRegion, static_cast<uint32_t>(17 + 1 + 8 + m_coded.size()));
  PutWord(head, m_width);
  PutWord(head, m_height);
  PutWord(head, 0);
  PutWord(head, 0);
  head.push_back(0);
  head.push_back(0x08);
  for (int8_t value : kAdaptivePixels) head.push_back(static_cast<uint8_t>(value));
  const bool written =
      sink(context, head.data(), head.size()) && sink(context, m_coded.data(), m_coded.size());
  m_lines.reset();
  std::vector<uint8_t>().swap(m_coded);
  return written;
}
