// The baseline JPEG tables the encoder writes: the example quantisation tables scaled by a
// quality factor, the example Huffman tables and the zigzag order. Platform-free.
#pragma once

#include <cstdint>

namespace jpeg {

// Natural (row-major) index of the k-th coefficient in zigzag order.
extern const uint8_t kZigzag[64];

// Luminance (0) or chrominance (1) table for `quality` 1..100 (clamped), natural order,
// entries 1..255. Quality 50 gives the example tables themselves.
void ScaledQuantTable(int table, int quality, uint16_t out[64]);

// A Huffman table as written in a DHT segment: code counts per length 1..16, then symbols.
struct HuffmanSpec {
  uint8_t counts[16];
  const uint8_t* symbols;
  int symbolCount;
};
extern const HuffmanSpec kDcLuminance, kAcLuminance, kDcChrominance, kAcChrominance;

// Code and length of every symbol of a table (length 0: symbol not in the table).
struct HuffmanCodes {
  uint16_t code[256];
  uint8_t length[256];
};
void BuildHuffmanCodes(const HuffmanSpec& spec, HuffmanCodes& out);

}  // namespace jpeg
