// The detection step of an automatic-size job.
#include "app/DocumentFinder.h"

#include <windows.h>

#include "app/AutoDetect.h"
#include "app/OrvaneApp.h"
#include "app/output/ScanImage.h"
#include "framework/Handles.h"
#include "resources/orvane/resource.h"

bool FindDocumentArea(const char* prescanPath, CRectObj& area) {
  COrvaneApp& app = App();
  CScanImage image;
  if (!image.Load(prescanPath)) return false;
  DetectOutcome outcome = DetectOutcome::kNoMemory;
  const size_t first = app.m_binding.m_detected.size();
  // The detection takes sides as 16-bit values; a larger image is no prescan of ours.
  if (image.Width() > 0xFFFF || image.Height() > 0xFFFF) return false;
  if (image.ConvertTo24Bits()) {
    HGLOBAL packed = image.PackedBitmap();
    CGlobalLock lock(packed);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(lock.Get());
    if (!header) return false;
    const auto* rows = reinterpret_cast<const uint8_t*>(header) + header->biSize;
    const size_t size = GlobalSize(packed) - header->biSize;
    outcome = DetectDocumentAreas(rows, size, static_cast<uint16_t>(image.Width()),
                                  static_cast<uint16_t>(image.Height()), app.m_binding.m_passCounter,
                                  app.m_binding.m_detected);
  }
  if (outcome == DetectOutcome::kNoMemory) {
    MessageBoxA(nullptr, app.LoadLocalString(IDS_AUTOMODE_NO_MEMORY).c_str(),
                app.LoadLocalString(IDS_AUTOMODE_CAPTION).c_str(), MB_OK);
    return false;
  }
  if (outcome != DetectOutcome::kDone || app.m_binding.m_detected.size() <= first) return false;
  area = *app.m_binding.m_detected[first];
  return true;
}
