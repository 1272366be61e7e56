// Baseline JPEG tables.
#include "app/output/imaging/JpegTables.h"

#include <cstring>

namespace jpeg {
namespace {

const uint8_t kLuminanceBase[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const uint8_t kChrominanceBase[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                      24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                      99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                      99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

const uint8_t kDcSymbols[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

// Symbols of the example AC tables: the irregular heads, then runs of consecutive values.
struct AcSymbols {
  uint8_t values[162];
  int count = 0;
  AcSymbols(const uint8_t* head, int headCount, const uint8_t (*runs)[2], int runCount) {
    for (int i = 0; i < headCount; ++i) values[count++] = head[i];
    for (int r = 0; r < runCount; ++r)
      for (int v = runs[r][0]; v <= runs[r][1]; ++v) values[count++] = static_cast<uint8_t>(v);
  }
};

const uint8_t kAcLuminanceHead[] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22,
    0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33,
    0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a};
const uint8_t kAcLuminanceRuns[][2] = {{0x34, 0x3a}, {0x43, 0x4a}, {0x53, 0x5a}, {0x63, 0x6a}, {0x73, 0x7a},
                                       {0x83, 0x8a}, {0x92, 0x9a}, {0xa2, 0xaa}, {0xb2, 0xba}, {0xc2, 0xca},
                                       {0xd2, 0xda}, {0xe1, 0xea}, {0xf1, 0xfa}};
const uint8_t kAcChrominanceHead[] = {0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12,
                                      0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14,
                                      0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15,
                                      0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17,
                                      0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a};
const uint8_t kAcChrominanceRuns[][2] = {{0x35, 0x3a}, {0x43, 0x4a}, {0x53, 0x5a}, {0x63, 0x6a}, {0x73, 0x7a},
                                         {0x82, 0x8a}, {0x92, 0x9a}, {0xa2, 0xaa}, {0xb2, 0xba}, {0xc2, 0xca},
                                         {0xd2, 0xda}, {0xe2, 0xea}, {0xf2, 0xfa}};

const AcSymbols kAcLuminanceSymbols(kAcLuminanceHead, sizeof(kAcLuminanceHead), kAcLuminanceRuns,
                                    sizeof(kAcLuminanceRuns) / sizeof(kAcLuminanceRuns[0]));
const AcSymbols kAcChrominanceSymbols(kAcChrominanceHead, sizeof(kAcChrominanceHead), kAcChrominanceRuns,
                                      sizeof(kAcChrominanceRuns) / sizeof(kAcChrominanceRuns[0]));

}  // namespace

const uint8_t kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

const HuffmanSpec kDcLuminance = {{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, kDcSymbols, 12};
const HuffmanSpec kDcChrominance = {{0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, kDcSymbols, 12};
const HuffmanSpec kAcLuminance = {{0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d},
                                  kAcLuminanceSymbols.values,
                                  kAcLuminanceSymbols.count};
const HuffmanSpec kAcChrominance = {{0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77},
                                    kAcChrominanceSymbols.values,
                                    kAcChrominanceSymbols.count};

void ScaledQuantTable(int table, int quality, uint16_t out[64]) {
  if (quality < 1) quality = 1;
  if (quality > 100) quality = 100;
  // Below 50 the divisors grow as 50 / quality, above it they shrink linearly to 1 at 100.
  const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
  const uint8_t* base = table == 0 ? kLuminanceBase : kChrominanceBase;
  for (int i = 0; i < 64; ++i) {
    int value = (base[i] * scale + 50) / 100;
    if (value < 1) value = 1;
    if (value > 255) value = 255;
    out[i] = static_cast<uint16_t>(value);
  }
}

void BuildHuffmanCodes(const HuffmanSpec& spec, HuffmanCodes& out) {
  std::memset(&out, 0, sizeof(out));
  // Canonical codes: consecutive within a length, doubled when the length grows.
  int code = 0;
  int k = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < spec.counts[length - 1] && k < spec.symbolCount; ++i, ++k) {
      out.code[spec.symbols[k]] = static_cast<uint16_t>(code++);
      out.length[spec.symbols[k]] = static_cast<uint8_t>(length);
    }
    code <<= 1;
  }
}

}  // namespace jpeg
