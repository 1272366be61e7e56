// Baseline JPEG encoding, strip by strip.
#include "app/output/JpegEncoder.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {

const size_t kOutputChunk = 64 * 1024;
const int kMaxSide = 65535;
const double kPi = 3.14159265358979323846;

// Fixed-point colour conversion with 16 fraction bits.
int32_t Fix(double value) { return static_cast<int32_t>(value * 65536.0 + 0.5); }

int BitLength(uint32_t value) { return value ? 32 - __builtin_clz(value) : 0; }

// The scaled forward DCT of one 8 x 8 block in place (rows, then columns); output (u, v)
// is the true coefficient times 8 * s(u) * s(v), s(0) = 1, s(k) = sqrt(2) cos(k pi / 16).
void ForwardDct(float* d) {
  for (int pass = 0; pass < 2; ++pass) {
    const int step = pass == 0 ? 1 : 8;  // distance between the 8 inputs of one line
    const int next = pass == 0 ? 8 : 1;  // distance between lines
    for (int line = 0; line < 8; ++line) {
      float* p = d + line * next;
      const float s07 = p[0] + p[7 * step], d07 = p[0] - p[7 * step];
      const float s16 = p[step] + p[6 * step], d16 = p[step] - p[6 * step];
      const float s25 = p[2 * step] + p[5 * step], d25 = p[2 * step] - p[5 * step];
      const float s34 = p[3 * step] + p[4 * step], d34 = p[3 * step] - p[4 * step];

      const float e0 = s07 + s34, e3 = s07 - s34, e1 = s16 + s25, e2 = s16 - s25;
      p[0] = e0 + e1;
      p[4 * step] = e0 - e1;
      const float rot = (e2 + e3) * 0.707106781f;
      p[2 * step] = e3 + rot;
      p[6 * step] = e3 - rot;

      const float o0 = d34 + d25, o1 = d25 + d16, o2 = d16 + d07;
      const float r5 = (o0 - o2) * 0.382683433f;
      const float r2 = 0.541196100f * o0 + r5;
      const float r4 = 1.306562965f * o2 + r5;
      const float r3 = o1 * 0.707106781f;
      const float a = d07 + r3, b = d07 - r3;
      p[5 * step] = b + r2;
      p[3 * step] = b - r2;
      p[step] = a + r4;
      p[7 * step] = a - r4;
    }
  }
}

}  // namespace

CJpegEncoder::CJpegEncoder() {
  const double kY[3] = {0.299, 0.587, 0.114}, kCb[3] = {-0.168736, -0.331264, 0.5},
               kCr[3] = {0.5, -0.418688, -0.081312};
  // Channel 0 is red; the offsets and rounding ride on the blue entry.
  for (int c = 0; c < 3; ++c)
    for (int v = 0; v < 256; ++v) {
      m_toY[c][v] = Fix(kY[c]) * v;
      m_toCb[c][v] = Fix(kCb[c]) * v;
      m_toCr[c][v] = Fix(kCr[c]) * v;
    }
  for (int v = 0; v < 256; ++v) {
    m_toY[2][v] += 32768;
    m_toCb[2][v] += (128 << 16) + 32767;
    m_toCr[2][v] += (128 << 16) + 32767;
  }
}

CJpegEncoder::~CJpegEncoder() = default;

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
  m_bitCount = 0;
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
  PutBits(0x7F, 7);  // pad the last byte with 1 bits
  m_bitCount = 0;
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
    for (int x = 0; x < width; ++x, pixels += 3) {
      const int b = pixels[0], g = pixels[1], r = pixels[2];
      y[x] = static_cast<uint8_t>((m_toY[0][r] + m_toY[1][g] + m_toY[2][b]) >> 16);
      cb[x] = static_cast<uint8_t>((m_toCb[0][r] + m_toCb[1][g] + m_toCb[2][b]) >> 16);
      cr[x] = static_cast<uint8_t>((m_toCr[0][r] + m_toCr[1][g] + m_toCr[2][b]) >> 16);
    }
    for (int x = width; x < m_paddedWidth; ++x) {
      cb[x] = cb[width - 1];
      cr[x] = cr[width - 1];
    }
  }
  for (int x = width; x < m_paddedWidth; ++x) y[x] = y[width - 1];
}

bool CJpegEncoder::EncodeStrip() {
  const uint8_t* y = m_planes.get();
  if (!m_colour) {
    for (int x = 0; x < m_paddedWidth; x += 8) EncodeBlock(y + x, m_paddedWidth, m_components[0]);
  } else {
    const size_t planeBytes = static_cast<size_t>(m_paddedWidth) * m_stripHeight;
    const int w = m_paddedWidth;
    for (int x = 0; x < w; x += 16) {
      EncodeBlock(y + x, w, m_components[0]);
      EncodeBlock(y + x + 8, w, m_components[0]);
      EncodeBlock(y + 8 * w + x, w, m_components[0]);
      EncodeBlock(y + 8 * w + x + 8, w, m_components[0]);
      EncodeSubsampledBlock(y + planeBytes + x, w, m_components[1]);
      EncodeSubsampledBlock(y + 2 * planeBytes + x, w, m_components[2]);
    }
  }
  return FlushOutput();
}

void CJpegEncoder::EncodeBlock(const uint8_t* samples, int stride, Component& component) {
  float block[64];
  for (int row = 0; row < 8; ++row, samples += stride)
    for (int col = 0; col < 8; ++col) block[row * 8 + col] = static_cast<float>(samples[col]) - 128.0f;
  Transform(block, component);
}

void CJpegEncoder::EncodeSubsampledBlock(const uint8_t* samples, int stride, Component& component) {
  // Each sample is the mean of a 2 x 2 square; the rounding bias alternates so that it does
  // not drift the colour one way.
  float block[64];
  for (int row = 0; row < 8; ++row, samples += 2 * stride)
    for (int col = 0; col < 8; ++col) {
      const uint8_t* p = samples + 2 * col;
      const int sum = p[0] + p[1] + p[stride] + p[stride + 1] + 1 + (col & 1);
      block[row * 8 + col] = static_cast<float>(sum >> 2) - 128.0f;
    }
  Transform(block, component);
}

void CJpegEncoder::Transform(float block[64], Component& component) {
  ForwardDct(block);
  int coefficients[64];
  for (int k = 0; k < 64; ++k) {
    const int i = jpeg::kZigzag[k];
    coefficients[k] = static_cast<int>(block[i] * component.divisors[i] + 16384.5f) - 16384;
  }

  const int diff = coefficients[0] - component.previousDc;
  component.previousDc = coefficients[0];
  int magnitude = diff < 0 ? -diff : diff;
  int size = BitLength(static_cast<uint32_t>(magnitude));
  PutBits(component.dc.code[size], component.dc.length[size]);
  if (size) PutBits(static_cast<uint32_t>(diff < 0 ? diff - 1 : diff) & ((1u << size) - 1), size);

  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int value = coefficients[k];
    if (value == 0) {
      ++run;
      continue;
    }
    for (; run > 15; run -= 16) PutBits(component.ac.code[0xF0], component.ac.length[0xF0]);
    magnitude = value < 0 ? -value : value;
    size = BitLength(static_cast<uint32_t>(magnitude));
    const int symbol = (run << 4) | size;
    PutBits(component.ac.code[symbol], component.ac.length[symbol]);
    PutBits(static_cast<uint32_t>(value < 0 ? value - 1 : value) & ((1u << size) - 1), size);
    run = 0;
  }
  if (run > 0) PutBits(component.ac.code[0x00], component.ac.length[0x00]);
}

void CJpegEncoder::PutBits(uint32_t bits, int count) {
  m_bitBuffer = (m_bitBuffer << count) | bits;
  m_bitCount += count;
  while (m_bitCount >= 8) {
    m_bitCount -= 8;
    const uint8_t byte = static_cast<uint8_t>(m_bitBuffer >> m_bitCount);
    PutByte(byte);
    if (byte == 0xFF) PutByte(0);  // a data 0xFF is followed by 0 so it is not read as a marker
  }
}

void CJpegEncoder::PutByte(uint8_t byte) {
  if (m_outUsed == kOutputChunk && !FlushOutput()) return;
  m_out[m_outUsed++] = byte;
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
  put16(dpi ? (m_settings.xDpi > kMaxSide ? kMaxSide : m_settings.xDpi) : 1);
  put16(dpi ? (m_settings.yDpi > kMaxSide ? kMaxSide : m_settings.yDpi) : 1);
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
