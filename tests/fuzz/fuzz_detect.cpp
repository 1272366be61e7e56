// Fuzz target: the automatic document detection on a raw prescan: a 16-bit width and height,
// the program's pass counter as a detection leaves it, a zoom, and the rest as the 24-bit rows
// (any length). The zoom repeats each pixel into a square of 1, 2, 4 or 8 pixels, so that a
// small input still makes pages of the 42 pixels an area needs. Properties: a buffer shorter
// than its rows is refused, no read outside it, and every area found lies on the prescan, at
// least 42 pixels each way, appended after the areas already in the list.
#include <memory>
#include <vector>

#include "app/AutoDetect.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
// The rows of a `width` x `height` prescan with each pixel of `small` (rows of width / zoom
// pixels, padded as a bitmap's) repeated zoom x zoom times; empty when `small` is too short.
std::vector<uint8_t> Zoomed(const std::string& small, uint16_t width, uint16_t height, int zoom) {
  const size_t smallWidth = width / zoom, smallHeight = height / zoom;
  const size_t smallRow = (smallWidth * 24 + 31) / 32 * 4;
  if (smallWidth * zoom != width || smallHeight * zoom != height || smallRow * smallHeight > small.size())
    return {};
  const size_t row = DetectRowBytes(width);
  std::vector<uint8_t> rows(row * height);
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        rows[y * row + 3 * x + c] = static_cast<uint8_t>(small[(y / zoom) * smallRow + 3 * (x / zoom) + c]);
  return rows;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  const uint16_t width = in.U16();
  const uint16_t height = in.U16();
  int passCounter = static_cast<int>(in.Range(0, 2));
  const int zoom = 1 << in.Range(0, 3);
  const std::string rest = in.Rest();
  std::vector<uint8_t> zoomed = zoom > 1 ? Zoomed(rest, width, height, zoom) : std::vector<uint8_t>();
  const std::string& bytes = zoomed.empty() ? rest : std::string(zoomed.begin(), zoomed.end());
  // Exactly the buffer's length on the heap, so that any read past it is caught.
  std::unique_ptr<uint8_t[]> bits(new uint8_t[bytes.size() ? bytes.size() : 1]);
  std::copy(bytes.begin(), bytes.end(), bits.get());

  std::vector<std::unique_ptr<CRectObj>> areas;
  areas.push_back(std::make_unique<CRectObj>());  // one from an earlier run
  const DetectOutcome outcome = DetectDocumentAreas(bytes.empty() ? nullptr : bits.get(), bytes.size(), width,
                                                    height, passCounter, areas);
  const bool fits = static_cast<uint64_t>(DetectRowBytes(width)) * height <= bytes.size();
  FUZZ_CHECK((outcome == DetectOutcome::kBadImage) == !fits);
  FUZZ_CHECK(areas.front() && areas.front()->x1 == 0 && areas.front()->x2 == 0);
  if (outcome != DetectOutcome::kDone) {
    FUZZ_CHECK(areas.size() == 1);
    return 0;
  }
  for (size_t i = 1; i < areas.size(); ++i) {
    const CRectObj& a = *areas[i];
    FUZZ_CHECK(a.x1 >= 0 && a.x1 + 41 <= a.x2 && a.x2 < width);
    FUZZ_CHECK(a.y2 >= 0 && a.y2 + 41 <= a.y1 && a.y1 < height);
  }
  return 0;
}
