// The detection step of an automatic-size job.
#include "app/DocumentFinder.h"

#include <windows.h>

#include "app/AutoDetect.h"
#include "app/output/imaging/ScanImage.h"
#include "framework/Handles.h"

DocumentSearch FindDocumentArea(const char* prescanPath, std::vector<std::unique_ptr<CRectObj>>& detected,
                                int& passCounter, CRectObj& area) {
  CScanImage image;
  if (!image.Load(prescanPath)) return DocumentSearch::kNotFound;
  DetectOutcome outcome = DetectOutcome::kNoMemory;
  const size_t first = detected.size();
  // The detection takes sides as 16-bit values; a larger image is no prescan of ours.
  if (image.Width() > 0xFFFF || image.Height() > 0xFFFF) return DocumentSearch::kNotFound;
  if (image.ConvertTo24Bits()) {
    HGLOBAL packed = image.PackedBitmap();
    CGlobalLock lock(packed);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(lock.Get());
    if (!header) return DocumentSearch::kNotFound;
    const auto* rows = reinterpret_cast<const uint8_t*>(header) + header->biSize;
    const size_t size = GlobalSize(packed) - header->biSize;
    outcome = DetectDocumentAreas(rows, size, static_cast<uint16_t>(image.Width()),
                                  static_cast<uint16_t>(image.Height()), passCounter, detected);
  }
  if (outcome == DetectOutcome::kNoMemory) return DocumentSearch::kNoMemory;
  if (outcome != DetectOutcome::kDone || detected.size() <= first) return DocumentSearch::kNotFound;
  area = *detected[first];
  return DocumentSearch::kFound;
}
