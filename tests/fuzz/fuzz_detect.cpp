// Fuzz target: the automatic document detection on a raw prescan: a 16-bit width and height,
// the program's pass counter as a detection leaves it, and the rest as the 24-bit rows (any
// length). Properties: a buffer shorter than its rows is refused, no read outside it, and
// every area found lies on the prescan, at least 42 pixels each way, appended after the
// areas already in the list.
#include <memory>
#include <vector>

#include "app/AutoDetect.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  const uint16_t width = in.U16();
  const uint16_t height = in.U16();
  int passCounter = static_cast<int>(in.Range(0, 2));
  const std::string bytes = in.Rest();
  std::unique_ptr<uint8_t[]> bits(new uint8_t[bytes.size() ? bytes.size() : 1]);
  std::copy(bytes.begin(), bytes.end(), bits.get());

  std::vector<std::unique_ptr<CRectObj>> areas;
  areas.push_back(std::make_unique<CRectObj>());  // one from an earlier run
  const DetectOutcome outcome =
      DetectDocumentAreas(bytes.empty() ? nullptr : bits.get(), bytes.size(), width, height, passCounter, areas);
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
