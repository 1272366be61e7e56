// The plan of a network scan job and its ScanSettings document.
#include "scan/escl/ScanSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "scan/Twain.h"
#include "scan/escl/Numbers.h"

namespace {
// Paper sizes a TWAIN feeder reports, in 1/300 inch.
const int kA4Width = 2480, kA4Height = 3508;
const int kLetterWidth = 2550, kLetterHeight = 3300;

// 1/300 inch per unit, for TWAIN's unit codes other than pixels.
double PerUnit(uint16_t units) {
  switch (units) {
    case TWUN_CENTIMETERS:
      return 300.0 / 2.54;
    case TWUN_PICAS:
      return 300.0 / 6;
    case TWUN_POINTS:
      return 300.0 / 72;
    case TWUN_TWIPS:
      return 300.0 / 1440;
    default:
      return 300.0;  // inches, and codes we do not know
  }
}

// Offset and length within an axis of `most` with a least length `least`.
void FitAxis(int& offset, int& length, int least, int most) {
  least = std::max(1, least);
  offset = std::min(std::max(offset, 0), std::max(most - least, 0));
  length = std::min(std::max(length, least), most - offset);
}

unsigned ChooseMode(unsigned offered, uint16_t pixelType) {
  static const unsigned kOrders[3][3] = {{kModeBlackWhite, kModeGrey, kModeColour},
                                         {kModeGrey, kModeColour, kModeBlackWhite},
                                         {kModeColour, kModeGrey, kModeBlackWhite}};
  for (unsigned mode : kOrders[pixelType]) {
    if (offered & mode) return mode;
  }
  return 0;
}

// A level of -128..128 around the scanner's normal value, in its steps.
int ScaleLevel(int level, const LevelCaps& caps) {
  level = std::min(std::max(level, -128), 128);
  const int span = level >= 0 ? caps.max - caps.normal : caps.normal - caps.min;
  const long long offset = static_cast<long long>(span) * level / 128;
  const long long value = caps.normal + offset;
  const long long stepped = caps.min + (value - caps.min) / caps.step * caps.step;
  return static_cast<int>(std::min<long long>(std::max<long long>(stepped, caps.min), caps.max));
}

bool PlainVersion(const std::string& version) {
  if (version.empty() || version.size() > 8) return false;
  bool dot = false;
  for (size_t i = 0; i < version.size(); ++i) {
    const char c = version[i];
    if (c == '.' && !dot && i > 0 && i + 1 < version.size())
      dot = true;
    else if (c < '0' || c > '9')
      return false;
  }
  return dot;
}
}  // namespace

int ToThreeHundredths(float value, uint16_t units, int resolution) {
  if (!std::isfinite(value) || value <= 0) return 0;
  const double per = units == TWUN_PIXELS ? 300.0 / std::max(resolution, 1) : PerUnit(units);
  const double length = std::floor(value * per + 0.5);
  return length >= kMaxLength ? kMaxLength : static_cast<int>(length);
}

PlanError PlanScan(AcquireRequest& request, const ScannerCaps& caps, bool feederLoaded,
                   NetworkScanPlan* plan) {
  *plan = NetworkScanPlan();
  plan->feeder = caps.feeder.present && (feederLoaded || !caps.platen.present);
  const InputCaps& input = plan->feeder ? caps.feeder : caps.platen;
  if (!input.present) return PlanError::kNoSource;
  if (plan->feeder) request.sizeCode = TWSS_A4;

  plan->pagePixelType = request.pixelType <= TWPT_RGB ? request.pixelType : TWPT_GRAY;
  plan->mode = ChooseMode(input.modes, plan->pagePixelType);
  if (plan->mode == 0) return PlanError::kNoMode;
  const bool preferPng = plan->pagePixelType == TWPT_BW;  // lossless for line art
  if (input.formats & (preferPng ? kFormatPng : kFormatJpeg))
    plan->format = preferPng ? PageFormat::kPng : PageFormat::kJpeg;
  else if (input.formats & (preferPng ? kFormatJpeg : kFormatPng))
    plan->format = preferPng ? PageFormat::kJpeg : PageFormat::kPng;
  else
    return PlanError::kNoFormat;
  const int wanted = std::max<int>(1, request.resolution);
  plan->resolution = ScanResolution(input, wanted);
  plan->pageResolution = std::min(wanted, plan->resolution);

  int x = 0, y = 0, width = input.maxWidth, height = input.maxHeight;
  if (request.sizeCode == TWSS_A4) {
    width = kA4Width;
    height = kA4Height;
  } else if (request.sizeCode == TWSS_USLETTER) {
    width = kLetterWidth;
    height = kLetterHeight;
  } else if (request.sizeCode == TWSS_NONE) {
    x = ToThreeHundredths(request.frameLeft, request.units, request.resolution);
    y = ToThreeHundredths(request.frameTop, request.units, request.resolution);
    const int right = ToThreeHundredths(request.frameRight, request.units, request.resolution);
    const int bottom = ToThreeHundredths(request.frameBottom, request.units, request.resolution);
    // An empty frame asks for the whole area from its corner.
    width = right > x ? right - x : input.maxWidth;
    height = bottom > y ? bottom - y : input.maxHeight;
  }
  FitAxis(x, width, input.minWidth, input.maxWidth);
  FitAxis(y, height, input.minHeight, input.maxHeight);
  plan->xOffset = x;
  plan->yOffset = y;
  plan->width = width;
  plan->height = height;

  if (caps.brightness.Present() && caps.contrast.Present()) {
    plan->levels = true;
    plan->brightness = ScaleLevel(request.brightness, caps.brightness);
    plan->contrast = ScaleLevel(request.contrast, caps.contrast);
  }
  if (PlainVersion(caps.version)) plan->version = caps.version;
  return PlanError::kNone;
}

std::string ScanSettingsXml(const NetworkScanPlan& plan) {
  const char* mode = plan.mode == kModeBlackWhite ? "BlackAndWhite1"
                     : plan.mode == kModeGrey     ? "Grayscale8"
                                                  : "RGB24";
  const char* format = plan.format == PageFormat::kPng ? "image/png" : "image/jpeg";
  char levels[160] = "";
  if (plan.levels)
    std::snprintf(levels, sizeof(levels),
                  "  <scan:Brightness>%d</scan:Brightness>\n  <scan:Contrast>%d</scan:Contrast>\n",
                  plan.brightness, plan.contrast);
  char xml[2048];
  std::snprintf(xml, sizeof(xml),
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<scan:ScanSettings xmlns:scan=\"http://schemas.hp.com/imaging/escl/2011/05/03\" "
                "xmlns:pwg=\"http://www.pwg.org/schemas/2010/12/sm\">\n"
                "  <pwg:Version>%s</pwg:Version>\n"
                "  <pwg:ScanRegions>\n"
                "    <pwg:ScanRegion>\n"
                "      <pwg:ContentRegionUnits>escl:ThreeHundredthsOfInches</pwg:ContentRegionUnits>\n"
                "      <pwg:XOffset>%d</pwg:XOffset>\n"
                "      <pwg:YOffset>%d</pwg:YOffset>\n"
                "      <pwg:Width>%d</pwg:Width>\n"
                "      <pwg:Height>%d</pwg:Height>\n"
                "    </pwg:ScanRegion>\n"
                "  </pwg:ScanRegions>\n"
                "  <pwg:DocumentFormat>%s</pwg:DocumentFormat>\n"
                "  <scan:DocumentFormatExt>%s</scan:DocumentFormatExt>\n"
                "  <pwg:InputSource>%s</pwg:InputSource>\n"
                "  <scan:ColorMode>%s</scan:ColorMode>\n"
                "  <scan:XResolution>%d</scan:XResolution>\n"
                "  <scan:YResolution>%d</scan:YResolution>\n"
                "%s"
                "</scan:ScanSettings>\n",
                plan.version.c_str(), plan.xOffset, plan.yOffset, plan.width, plan.height, format, format,
                plan.feeder ? "Feeder" : "Platen", mode, plan.resolution, plan.resolution, levels);
  return xml;
}
