// The bitmap file of a packed device-independent bitmap (a BITMAPINFOHEADER, its colour table
// or masks, then the rows), as a scanner hands a native page over. Platform-free: every size
// is checked against the block before a byte is trusted.
#pragma once

#include <cstddef>
#include <cstdint>

struct PackedDibLayout {
  uint32_t headerBytes = 0;  // information header and colour table (or masks)
  uint32_t pixelBytes = 0;   // the rows
  uint32_t FileSize() const { return 14 + headerBytes + pixelBytes; }
};

// False when `block` (of `blockSize` bytes) is not a packed DIB whose parts fit inside it.
bool MeasurePackedDib(const uint8_t* block, size_t blockSize, PackedDibLayout& layout);
// The 14-byte file header ("BM", file size, offset of the rows) for `layout`.
void WriteBitmapFileHeader(const PackedDibLayout& layout, uint8_t (&out)[14]);
