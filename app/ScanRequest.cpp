// The acquisition request of a scan job.
#include "app/ScanRequest.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "app/settings/ResolutionTable.h"

namespace {
const int kLevelSteps[] = {-128, -64, 0, 64, 128};
const int kLevelStepCount = 5;
const int kNeutralLevel = 2;
const int kDefaultPrescanDpi = 36;
// The largest resolution TWAIN's 16-bit integer value carries to the source.
const int kLargestResolution = 32767;
// Frame edges in inches travel as TWAIN fixed-point numbers, which end below 32768.
const float kLargestFrameInches = 32767.0f;

AcquireRequest EmptyRequest(uint16_t destinationId, int scanMode) {
  AcquireRequest request = {};
  request.destinationId = destinationId;
  request.showUI = 0;
  request.sizeCode = 0;
  request.units = 0;  // inches
  request.pixelType = static_cast<uint16_t>(scanMode);
  return request;
}

bool UsableResolution(int dpi) { return dpi >= 1 && dpi <= kLargestResolution; }

// A resolution index past the end of the table falls back to its first entry; a resolution
// the source cannot be sent (0, negative, or beyond 16 bits) to the default one.
uint16_t ResolutionOf(const ScanRequestInput& input) {
  const CResolutionTable* table = input.resolutions;
  if (!table) return static_cast<uint16_t>(CResolutionTable::kDefaultDpi);
  const int index = input.settings.resolution;
  const int dpi = table->DpiAt(index >= 0 && index < table->GetSize() ? index : 0);
  return static_cast<uint16_t>(UsableResolution(dpi) ? dpi : CResolutionTable::kDefaultDpi);
}

// A prescan resolution of 0 (or less) would divide by zero, and one beyond 16 bits cannot be
// sent; such a description file gets the default prescan resolution.
float PrescanDpi(const PrescanGeometry& prescan) {
  return static_cast<float>(UsableResolution(prescan.dpi) ? prescan.dpi : kDefaultPrescanDpi);
}

// `units` ÷ `perInch` inches as a frame edge: never negative, never beyond what the source
// can be sent.
float FrameInches(int units, float perInch) {
  const float inches = static_cast<float>(units) / perInch;
  return inches < 0 ? 0 : inches > kLargestFrameInches ? kLargestFrameInches : inches;
}

bool ParseInteger(const char*& text, int& value) {
  while (*text && std::isspace(static_cast<unsigned char>(*text))) ++text;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text || errno == ERANGE || parsed > INT_MAX || parsed < INT_MIN) return false;
  value = static_cast<int>(parsed);
  text = end;
  return true;
}
}  // namespace

int LevelStep(int index) {
  return kLevelSteps[index >= 0 && index < kLevelStepCount ? index : kNeutralLevel];
}

int PaperIndex(int documentSize, int paperCount) {
  return documentSize >= 0 && documentSize < paperCount ? documentSize : 0;
}

bool ParsePaperSize(const CString& entry, int& width, int& height) {
  const char* text = entry.c_str();
  int first = 0;
  int second = 0;
  if (!ParseInteger(text, first)) return false;
  // The two numbers are separated by white space: "8.5 11" is not a size.
  if (!*text || !std::isspace(static_cast<unsigned char>(*text))) return false;
  if (!ParseInteger(text, second)) return false;
  width = first;
  height = second;
  return true;
}

AcquireRequest BuildScanRequest(const ScanRequestInput& input, bool& autoSize) {
  AcquireRequest request = EmptyRequest(input.destinationId, input.settings.scanMode);
  request.frameTop = 0;
  request.frameLeft = 0;
  int width = 0;
  int height = 0;
  if (ParsePaperSize(input.paperSize, width, height)) {
    autoSize = false;
    request.frameRight = FrameInches(width, 100.0f);
    request.frameBottom = FrameInches(height, 100.0f);
    request.resolution = ResolutionOf(input);
    request.brightness = LevelStep(input.settings.brightness);
    request.contrast = LevelStep(input.settings.contrast);
    return request;
  }
  // No size: the whole glass at the prescan resolution, in colour, to find the document on.
  autoSize = true;
  const float dpi = PrescanDpi(input.prescan);
  request.frameRight = FrameInches(input.prescan.width, dpi);
  request.frameBottom = FrameInches(input.prescan.height, dpi);
  request.resolution = static_cast<uint16_t>(dpi);
  request.pixelType = 2;
  request.brightness = 0;
  request.contrast = 0;
  return request;
}

AcquireRequest BuildSecondPass(const ScanRequestInput& input, const CRectObj* area, bool& autoSize) {
  AcquireRequest request = EmptyRequest(input.destinationId, input.settings.scanMode);
  autoSize = false;
  const float dpi = PrescanDpi(input.prescan);
  int width = 0;
  int height = 0;
  if (area) {
    request.frameLeft = FrameInches(area->x1 < area->x2 ? area->x1 : area->x2, dpi);
    request.frameRight = FrameInches(area->x1 < area->x2 ? area->x2 : area->x1, dpi);
    request.frameTop = FrameInches(area->y1 < area->y2 ? area->y1 : area->y2, dpi);
    request.frameBottom = FrameInches(area->y1 < area->y2 ? area->y2 : area->y1, dpi);
  } else if (ParsePaperSize(input.firstPaperSize, width, height)) {
    request.frameRight = FrameInches(width, 100.0f);
    request.frameBottom = FrameInches(height, 100.0f);
  } else {
    // No paper with a size either: the whole glass rather than an empty frame.
    request.frameRight = FrameInches(input.prescan.width, dpi);
    request.frameBottom = FrameInches(input.prescan.height, dpi);
  }
  request.resolution = ResolutionOf(input);
  request.brightness = 0;
  request.contrast = 0;
  return request;
}

CRectObj AreaWithGlass(const CRectObj& area, const PrescanGeometry& prescan, int cells) {
  auto within = [](int32_t value, int32_t last) { return value < 0 ? 0 : value > last ? last : value; };
  const int32_t left = area.x1 < area.x2 ? area.x1 : area.x2, right = area.x1 < area.x2 ? area.x2 : area.x1;
  const int32_t top = area.y1 < area.y2 ? area.y1 : area.y2, bottom = area.y1 < area.y2 ? area.y2 : area.y1;
  CRectObj wide;
  wide.x1 = within(left - cells, prescan.width);
  wide.x2 = within(right + 1 + cells, prescan.width);
  wide.y1 = within(bottom + 1 + cells, prescan.height);
  wide.y2 = within(top - cells, prescan.height);
  return wide;
}
