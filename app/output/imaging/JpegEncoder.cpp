// Baseline JPEG encoding, strip by strip.
#include "app/output/imaging/JpegEncoder.h"

#include <cmath>
#include <cstring>
#include <new>

#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/JpegKernels.h"

namespace {

const size_t kOutputChunk = 64 * 1024;
// More than one block can make: 22 bits of DC, 63 coefficients of at most 26 bits, every byte
// stuffed, and the bits still waiting.
const size_t kLargestBlockBytes = 1024;
const double kPi = 3.14159265358979323846;

int BitLength(uint32_t value) { return value ? 32 - __builtin_clz(value) : 0; }

int LowestBit(uint64_t value) {
  const uint32_t low = static_cast<uint32_t>(value);
  return low ? __builtin_ctz(low) : 32 + __builtin_ctz(static_cast<uint32_t>(value >> 32));
}

// The extra bits that follow a size category: the value, or for negatives its ones' complement.
uint32_t ExtraBits(int value, int size) {
  return static_cast<uint32_t>(value < 0 ? value - 1 : value) & ((1u << size) - 1);
}

}  // namespace

bool CJpegEncoder::Begin(const Settings& settings, Sink sink, void* context) {
  if (settings.width == 0 || settings.height == 0 || settings.width > kMaxSide ||
      settings.height > kMaxSide || !sink)
    return false;
  m_settings = settings;
  m_sink = sink;
  m_context = context;
  m_colour = settings.layout == Layout::kBgr;
  m_stripHeight = m_colour ? 16 : 8;
  m_paddedWidth = static_cast<int>((settings.width + m_stripHeight - 1) / m_stripHeight * m_stripHeight);
  m_rowInStrip = 0;
  m_rowsTaken = 0;
  m_bitBuffer = 0;
  m_freeBits = 32;
  m_outUsed = 0;
  m_failed = false;

  const size_t planeBytes = static_cast<size_t>(m_paddedWidth) * m_stripHeight;
  m_planes.reset(new (std::nothrow) uint8_t[planeBytes * (m_colour ? 3 : 1)]);
  m_out.reset(new (std::nothrow) uint8_t[kOutputChunk]);
  if (!m_planes || !m_out) return false;

  uint16_t tables[2][64];
  jpeg::ScaledQuantTable(0, settings.quality, tables[0]);
  jpeg::ScaledQuantTable(1, settings.quality, tables[1]);
  for (int c = 0; c < 3; ++c) {
    Component& component = m_components[c];
    const uint16_t* table = tables[c == 0 ? 0 : 1];
    for (int u = 0; u < 8; ++u)
      for (int v = 0; v < 8; ++v) {
        const double su = u == 0 ? 1.0 : std::cos(u * kPi / 16) * std::sqrt(2.0);
        const double sv = v == 0 ? 1.0 : std::cos(v * kPi / 16) * std::sqrt(2.0);
        component.divisors[u * 8 + v] = static_cast<float>(1.0 / (table[u * 8 + v] * su * sv * 8.0));
      }
    jpeg::BuildHuffmanCodes(c == 0 ? jpeg::kDcLuminance : jpeg::kDcChrominance, component.dc);
    jpeg::BuildHuffmanCodes(c == 0 ? jpeg::kAcLuminance : jpeg::kAcChrominance, component.ac);
    component.previousDc = 0;
  }
  WriteHeaders(tables[0], tables[1]);
  return FlushOutput();
}

bool CJpegEncoder::AddRow(const uint8_t* pixels) {
  if (m_failed || !m_planes || m_rowsTaken >= m_settings.height) return false;
  ConvertRow(pixels, m_rowInStrip);
  ++m_rowsTaken;
  if (++m_rowInStrip == m_stripHeight) {
    m_rowInStrip = 0;
    return EncodeStrip();
  }
  return true;
}

bool CJpegEncoder::Finish() {
  if (m_failed || !m_planes || m_rowsTaken != m_settings.height) return false;
  if (m_rowInStrip > 0) {
    // The last strip is filled with copies of the last row.
    const size_t planeBytes = static_cast<size_t>(m_paddedWidth) * m_stripHeight;
    for (int plane = 0; plane < (m_colour ? 3 : 1); ++plane) {
      uint8_t* base = m_planes.get() + plane * planeBytes;
      for (int row = m_rowInStrip; row < m_stripHeight; ++row)
        std::memcpy(base + row * m_paddedWidth, base + (m_rowInStrip - 1) * m_paddedWidth, m_paddedWidth);
    }
    if (!EncodeStrip()) return false;
  }
  MakeRoomForBlock();
  PutBits(0x7F, 7);  // pad the last byte with 1 bits
  // The whole bytes still waiting go out; what is left of the padding is dropped.
  for (int shift = 32 - m_freeBits - 8; shift >= 0; shift -= 8) {
    const uint8_t byte = static_cast<uint8_t>(m_bitBuffer >> shift);
    PutByte(byte);
    if (byte == 0xFF) PutByte(0);
  }
  m_bitBuffer = 0;
  m_freeBits = 32;
  const uint8_t end[2] = {0xFF, 0xD9};
  PutMarkerBytes(end, 2);
  const bool ok = FlushOutput();
  m_planes.reset();
  return ok;
}

void CJpegEncoder::ConvertRow(const uint8_t* pixels, int row) {
  const int width = static_cast<int>(m_settings.width);
  const size_t planeBytes = static_cast<size_t>(m_paddedWidth) * m_stripHeight;
  uint8_t* y = m_planes.get() + static_cast<size_t>(row) * m_paddedWidth;
  if (!m_colour) {
    std::memcpy(y, pixels, width);
  } else {
    uint8_t* cb = y + planeBytes;
    uint8_t* cr = cb + planeBytes;
    jpeg::ConvertBgrRow(pixels, width, y, cb, cr);
    for (int x = width; x < m_paddedWidth; ++x) {
      cb[x] = cb[width - 1];
      cr[x] = cr[width - 1];
    }
  }
  for (int x = width; x < m_paddedWidth; ++x) y[x] = y[width - 1];
}

bool CJpegEncoder::EncodeStrip() {
  const uint8_t* y = m_planes.get();
  const int w = m_paddedWidth;
  float block[64];
  if (!m_colour) {
    for (int x = 0; x < w; x += 8) {
      jpeg::LoadBlock(y + x, w, block);
      EncodeBlock(block, m_components[0]);
    }
  } else {
    const size_t planeBytes = static_cast<size_t>(w) * m_stripHeight;
    for (int x = 0; x < w; x += 16) {
      const uint8_t* const luma[4] = {y + x, y + x + 8, y + 8 * w + x, y + 8 * w + x + 8};
      for (const uint8_t* samples : luma) {
        jpeg::LoadBlock(samples, w, block);
        EncodeBlock(block, m_components[0]);
      }
      jpeg::LoadSubsampledBlock(y + planeBytes + x, w, block);
      EncodeBlock(block, m_components[1]);
      jpeg::LoadSubsampledBlock(y + 2 * planeBytes + x, w, block);
      EncodeBlock(block, m_components[2]);
    }
  }
  return !m_failed;
}

void CJpegEncoder::EncodeBlock(float block[64], Component& component) {
  MakeRoomForBlock();
  alignas(16) int16_t coefficients[64];
  uint64_t nonzero = jpeg::TransformAndQuantise(block, component.divisors, coefficients);

  const int diff = coefficients[0] - component.previousDc;
  component.previousDc = coefficients[0];
  int size = BitLength(static_cast<uint32_t>(diff < 0 ? -diff : diff));
  PutBits(static_cast<uint32_t>(component.dc.code[size]) << size | ExtraBits(diff, size),
          component.dc.length[size] + size);

  // Only the coefficients that are not 0 are visited; the zeros before one are its run.
  int previous = 0;
  for (; nonzero; nonzero &= nonzero - 1) {
    const int k = LowestBit(nonzero);
    int run = k - previous - 1;
    for (; run > 15; run -= 16) PutBits(component.ac.code[0xF0], component.ac.length[0xF0]);
    const int value = coefficients[k];
    size = BitLength(static_cast<uint32_t>(value < 0 ? -value : value));
    const int symbol = run << 4 | size;
    PutBits(static_cast<uint32_t>(component.ac.code[symbol]) << size | ExtraBits(value, size),
            component.ac.length[symbol] + size);
    previous = k;
  }
  if (previous != 63) PutBits(component.ac.code[0x00], component.ac.length[0x00]);  // end of block
}

// `count` is at most 26: a code of 16 bits and its 10 extra bits (DC: 11 and 11).
inline void CJpegEncoder::PutBits(uint32_t bits, int count) {
  if (count < m_freeBits) {
    m_bitBuffer = m_bitBuffer << count | bits;
    m_freeBits -= count;
    return;
  }
  const int rest = count - m_freeBits;
  EmitWord(m_bitBuffer << m_freeBits | bits >> rest);
  // The bits of `bits` that went out stay above the `rest` new ones; they are shifted out
  // before this buffer goes out.
  m_bitBuffer = bits;
  m_freeBits = 32 - rest;
}

// Four bytes out, most significant first; a data 0xFF is followed by 0 so that it is not read
// as a marker. Room was made before the block.
void CJpegEncoder::EmitWord(uint32_t word) {
  const uint32_t inverted = ~word;
  const bool hasFf = ((inverted - 0x01010101u) & ~inverted & 0x80808080u) != 0;  // a zero byte in ~word
  uint8_t* out = m_out.get() + m_outUsed;
  if (!hasFf) {
    out[0] = static_cast<uint8_t>(word >> 24);
    out[1] = static_cast<uint8_t>(word >> 16);
    out[2] = static_cast<uint8_t>(word >> 8);
    out[3] = static_cast<uint8_t>(word);
    m_outUsed += 4;
    return;
  }
  for (int shift = 24; shift >= 0; shift -= 8) {
    const uint8_t byte = static_cast<uint8_t>(word >> shift);
    *out++ = byte;
    if (byte == 0xFF) *out++ = 0;
  }
  m_outUsed = static_cast<size_t>(out - m_out.get());
}

void CJpegEncoder::PutByte(uint8_t byte) {
  if (m_outUsed == kOutputChunk && !FlushOutput()) return;
  m_out[m_outUsed++] = byte;
}

void CJpegEncoder::MakeRoomForBlock() {
  if (kOutputChunk - m_outUsed < kLargestBlockBytes) FlushOutput();
}

void CJpegEncoder::PutMarkerBytes(const uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) PutByte(data[i]);
}

bool CJpegEncoder::FlushOutput() {
  if (m_failed) return false;
  if (m_outUsed > 0 && !m_sink(m_context, m_out.get(), m_outUsed)) m_failed = true;
  m_outUsed = 0;
  return !m_failed;
}

void CJpegEncoder::WriteHeaders(const uint16_t luminance[64], const uint16_t chrominance[64]) {
  auto put16 = [this](int value) {
    PutByte(static_cast<uint8_t>(value >> 8));
    PutByte(static_cast<uint8_t>(value));
  };
  const int components = m_colour ? 3 : 1;
  const uint8_t start[2] = {0xFF, 0xD8};
  PutMarkerBytes(start, 2);

  // JFIF with the resolution in dots per inch, or only a 1:1 aspect ratio when unknown.
  const bool dpi = m_settings.xDpi > 0 && m_settings.yDpi > 0;
  const uint8_t jfif[] = {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, static_cast<uint8_t>(dpi ? 1 : 0)};
  PutMarkerBytes(jfif, sizeof(jfif));
  put16(dpi ? (m_settings.xDpi > kLargestDpi ? kLargestDpi : m_settings.xDpi) : 1);
  put16(dpi ? (m_settings.yDpi > kLargestDpi ? kLargestDpi : m_settings.yDpi) : 1);
  PutByte(0);
  PutByte(0);

  const uint16_t* tables[2] = {luminance, chrominance};
  const int tableCount = m_colour ? 2 : 1;
  PutByte(0xFF);
  PutByte(0xDB);
  put16(2 + 65 * tableCount);
  for (int t = 0; t < tableCount; ++t) {
    PutByte(static_cast<uint8_t>(t));
    for (int k = 0; k < 64; ++k) PutByte(static_cast<uint8_t>(tables[t][jpeg::kZigzag[k]]));
  }

  PutByte(0xFF);
  PutByte(0xC0);
  put16(8 + 3 * components);
  PutByte(8);
  put16(static_cast<int>(m_settings.height));
  put16(static_cast<int>(m_settings.width));
  PutByte(static_cast<uint8_t>(components));
  for (int c = 0; c < components; ++c) {
    PutByte(static_cast<uint8_t>(c + 1));
    PutByte(c == 0 && m_colour ? 0x22 : 0x11);  // luminance sampled 2 x 2 against chrominance
    PutByte(c == 0 ? 0 : 1);
  }

  const jpeg::HuffmanSpec* specs[4] = {&jpeg::kDcLuminance, &jpeg::kAcLuminance, &jpeg::kDcChrominance,
                                       &jpeg::kAcChrominance};
  const uint8_t classes[4] = {0x00, 0x10, 0x01, 0x11};
  const int specCount = m_colour ? 4 : 2;
  int length = 2;
  for (int s = 0; s < specCount; ++s) length += 17 + specs[s]->symbolCount;
  PutByte(0xFF);
  PutByte(0xC4);
  put16(length);
  for (int s = 0; s < specCount; ++s) {
    PutByte(classes[s]);
    PutMarkerBytes(specs[s]->counts, 16);
    PutMarkerBytes(specs[s]->symbols, static_cast<size_t>(specs[s]->symbolCount));
  }

  PutByte(0xFF);
  PutByte(0xDA);
  put16(6 + 2 * components);
  PutByte(static_cast<uint8_t>(components));
  for (int c = 0; c < components; ++c) {
    PutByte(static_cast<uint8_t>(c + 1));
    PutByte(c == 0 ? 0x00 : 0x11);
  }
  PutByte(0);
  PutByte(63);
  PutByte(0);
}
