// The bitmap file of a packed device-independent bitmap (a BITMAPINFOHEADER, its colour table
// or masks, then the rows), as a scanner hands a native page over. Platform-free: every size
// is checked against the block before a byte is trusted.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/output/imaging/DibLayout.h"

// False when `block` (of `blockSize` bytes) is not a packed DIB whose parts fit inside it.
// Otherwise `layout` describes the bitmap file the block becomes behind a 14-byte file header:
// its rows start at `pixelOffset` in that file (at pixelOffset - kFileHeaderBytes in the
// block), `imageBytes` long (compressed rows as long as the header says).
bool MeasurePackedDib(const uint8_t* block, size_t blockSize, DibLayout& layout);
// The 14-byte file header ("BM", file size, offset of the rows) for `layout`.
void WriteBitmapFileHeader(const DibLayout& layout, uint8_t (&out)[kFileHeaderBytes]);
