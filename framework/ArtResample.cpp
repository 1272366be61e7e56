// ArtResample.
#include "framework/ArtResample.h"

#include <algorithm>

namespace ArtResample {
namespace {

// How one destination pixel along an axis covers the source: source pixels first..first+n-1
// with their weights. Units: a source pixel is `to` long and a destination pixel `from` long,
// so that every weight is a whole number and the weights of one destination pixel add up to
// `from`.
struct Span {
  int first;
  std::vector<int64_t> weights;
};

std::vector<Span> Spans(int from, int to) {
  std::vector<Span> spans(static_cast<size_t>(to));
  for (int d = 0; d < to; ++d) {
    const int64_t start = static_cast<int64_t>(d) * from;
    const int64_t end = start + from;
    Span& span = spans[static_cast<size_t>(d)];
    span.first = static_cast<int>(start / to);
    for (int64_t s = span.first; s * to < end && s < from; ++s) {
      const int64_t overlap = std::min(end, (s + 1) * to) - std::max(start, s * to);
      span.weights.push_back(overlap);
    }
  }
  return spans;
}

}  // namespace

std::vector<uint32_t> Resample(const std::vector<uint32_t>& source, int width, int height, int toWidth,
                               int toHeight) {
  if (width <= 0 || height <= 0 || toWidth <= 0 || toHeight <= 0) return {};
  if (source.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) return {};
  const std::vector<Span> columns = Spans(width, toWidth);
  const std::vector<Span> rows = Spans(height, toHeight);
  const int64_t total = static_cast<int64_t>(width) * height;
  std::vector<uint32_t> out(static_cast<size_t>(toWidth) * static_cast<size_t>(toHeight));
  for (int y = 0; y < toHeight; ++y) {
    const Span& row = rows[static_cast<size_t>(y)];
    for (int x = 0; x < toWidth; ++x) {
      const Span& column = columns[static_cast<size_t>(x)];
      int64_t sums[4] = {0, 0, 0, 0};
      for (size_t j = 0; j < row.weights.size(); ++j) {
        const size_t line = static_cast<size_t>(row.first) + j;
        for (size_t i = 0; i < column.weights.size(); ++i) {
          const uint32_t pixel =
              source[line * static_cast<size_t>(width) + static_cast<size_t>(column.first) + i];
          const int64_t weight = row.weights[j] * column.weights[i];
          for (int byte = 0; byte < 4; ++byte) sums[byte] += weight * ((pixel >> (8 * byte)) & 0xFF);
        }
      }
      uint32_t pixel = 0;
      for (int byte = 0; byte < 4; ++byte)
        pixel |= static_cast<uint32_t>((sums[byte] + total / 2) / total) << (8 * byte);
      out[static_cast<size_t>(y) * static_cast<size_t>(toWidth) + static_cast<size_t>(x)] = pixel;
    }
  }
  return out;
}

}  // namespace ArtResample
