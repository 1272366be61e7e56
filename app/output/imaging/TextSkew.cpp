// Text-line skew by projection profiles.
#include "app/output/imaging/TextSkew.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;
const double kLeastSharpness = 1.6;  // the best angle's profile against the mean one
const double kMostInk = 0.30;        // a larger share of dark cells is a picture, not text
const size_t kLeastInk = 150;        // dark cells of a page that has text lines at all
const double kMostMidTones = 0.15;   // tones between ink and paper over more of it: a picture

struct Cell {
  float x;
  float y;
};

// The paper's level: the brightest level that at least a fifth of the cells reach.
int PaperLevel(const CGreyCells& cells) {
  uint32_t counts[256] = {};
  const size_t n = static_cast<size_t>(cells.Across()) * cells.Down();
  for (size_t i = 0; i < n; ++i) ++counts[cells.Cells()[i]];
  size_t seen = 0;
  for (int level = 255; level >= 0; --level) {
    seen += counts[level];
    if (seen * 5 >= n) return level;
  }
  return 0;
}

// The profile's sharpness: the sum of squared steps between neighbouring lines.
double Sharpness(const std::vector<Cell>& dark, double degrees, double height, std::vector<uint32_t>& bins) {
  const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
  std::fill(bins.begin(), bins.end(), 0u);
  const double offset = height * 0.2 + 2;
  for (const Cell& cell : dark) {
    const long bin = std::lround(cell.y * c - cell.x * s + offset);
    if (bin >= 0 && static_cast<size_t>(bin) < bins.size()) ++bins[bin];
  }
  double sum = 0;
  for (size_t i = 1; i < bins.size(); ++i) {
    const double step = static_cast<double>(bins[i]) - bins[i - 1];
    sum += step * step;
  }
  return sum;
}

}  // namespace

SkewMeasure MeasureTextSkew(const CGreyCells& cells) {
  SkewMeasure measure;
  const uint32_t across = cells.Across(), down = cells.Down();
  if (across < 16 || down < 16) return measure;
  const int paper = PaperLevel(cells);
  const int dark = paper * 6 / 10;
  const int light = paper - 40;
  std::vector<Cell> ink;
  size_t midTones = 0;
  // A margin of a twentieth on each side: a feeder page's edges and shadows are no text.
  const uint32_t mx = across / 20, my = down / 20;
  for (uint32_t y = my; y < down - my; ++y)
    for (uint32_t x = mx; x < across - mx; ++x) {
      const int level = cells.At(x, y);
      if (level < dark)
        ink.push_back({static_cast<float>(x), static_cast<float>(y)});
      else if (level < light)
        ++midTones;
    }
  const double area = (across - 2.0 * mx) * (down - 2.0 * my);
  const double share = static_cast<double>(ink.size()) / area;
  if (ink.size() < kLeastInk || share > kMostInk || midTones / area > kMostMidTones) return measure;

  std::vector<uint32_t> bins(static_cast<size_t>(down * 1.4 + across * 0.4) + 8);
  double best = 0, bestScore = -1, total = 0;
  int tried = 0;
  for (double a = -kLargestSkew; a <= kLargestSkew + 1e-9; a += 0.5, ++tried) {
    const double score = Sharpness(ink, a, down, bins);
    total += score;
    if (score > bestScore) best = a, bestScore = score;
  }
  const double mean = total / tried;
  const double coarse = best;
  for (double a = coarse - 0.5; a <= coarse + 0.5 + 1e-9; a += 0.05) {
    const double score = Sharpness(ink, a, down, bins);
    if (score > bestScore) best = a, bestScore = score;
  }
  // The peak between the fine steps: a parabola through the best and its neighbours.
  const double before = Sharpness(ink, best - 0.05, down, bins),
               after = Sharpness(ink, best + 0.05, down, bins);
  const double curve = before - 2 * bestScore + after;
  if (curve < 0) best += 0.05 * 0.5 * (before - after) / curve;
  measure.degrees = best;
  measure.sharpness = mean > 0 ? bestScore / mean : 0;
  measure.confident = measure.sharpness >= kLeastSharpness && std::fabs(best) <= kLargestSkew;
  return measure;
}
