// Resampling of 32-bit pixels for art drawn at a scale between two sets, platform-free: each
// destination pixel is the average of the source area it covers, weighted by the coverage
// (an area filter: no pixel is lost when shrinking, nothing rings at the edges).
#pragma once

#include <cstdint>
#include <vector>

namespace ArtResample {

// `source` holds width × height pixels, rows top first; the result holds toWidth × toHeight.
// Each of the four bytes of a pixel is averaged on its own. Empty on an empty or short input.
std::vector<uint32_t> Resample(const std::vector<uint32_t>& source, int width, int height, int toWidth,
                               int toHeight);

}  // namespace ArtResample
