// The JPEG encoder's inner loops on SSE2: colour conversion of a row, the 8 x 8 sample blocks
// (whole, or 2 x 2 means for chrominance), and the forward transform with quantisation. Each
// computes exactly, bit for bit, the plain arithmetic its comment gives: the encoder's output
// does not depend on which processor or build runs it. Platform-free.
#pragma once

#include <cstdint>

namespace jpeg {

// One row of blue-green-red pixels to luminance and chrominance samples:
//   Y  = ( 19595 r + 38470 g +  7471 b + 32768) >> 16
//   Cb = (-11057 r - 21709 g + 32768 b + (128 << 16) + 32767) >> 16
//   Cr = ( 32768 r - 27438 g -  5328 b + (128 << 16) + 32767) >> 16
// (the weights 0.299, 0.587, ... in 16-bit fixed point, truncated towards 0 after adding 1/2).
void ConvertBgrRow(const uint8_t* bgr, int width, uint8_t* y, uint8_t* cb, uint8_t* cr);

// The block at `samples` (8 rows `stride` apart) as floats, each sample minus 128, row by row.
void LoadBlock(const uint8_t* samples, int stride, float out[64]);

// The 8 x 8 block of 2 x 2 means over the 16 x 16 samples at `samples`, minus 128: each mean is
// (sum of four + 1 + (column & 1)) >> 2, the rounding bias alternating so that it does not
// drift the colour one way.
void LoadSubsampledBlock(const uint8_t* samples, int stride, float out[64]);

// The scaled forward DCT of `block` (destroyed) quantised by `divisors` (reciprocals with the
// transform's scale folded in, natural order): the 64 coefficients in zigzag order. Returns a
// mask with bit k set when zigzag coefficient k (1..63) is not 0; bit 0 is always clear.
uint64_t TransformAndQuantise(float block[64], const float divisors[64], int16_t zigzag[64]);

}  // namespace jpeg
