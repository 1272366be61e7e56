// The layout of a packed device-independent bitmap (header, colour table, rows) checked
// against the size of its block before anything is drawn from it. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

struct PackedDibLayout {
  int width = 0;
  int height = 0;         // rows, whatever their order
  size_t bitsOffset = 0;  // where the rows start
  size_t stride = 0;      // bytes per row, padded to 4
};

// Reads the header of the packed bitmap `data` of `size` bytes. False when it is not one that
// can be drawn as it stands: unknown header or depth, compressed rows, a colour table or rows
// that run past the block.
bool ReadPackedDibLayout(const uint8_t* data, size_t size, PackedDibLayout* layout);
