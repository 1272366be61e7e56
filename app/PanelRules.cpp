// Front-panel rules without any platform call.
#include "app/PanelRules.h"

namespace Panel {
namespace {
// Normal, hover and pressed face names, in button order.
const char* const kFaceNames[kButtonCount][3] = {
    {"IMAGE", "IMAGEF", "IMAGED"}, {"COPY", "COPYF", "COPYD"}, {"FAX", "FAXF", "FAXD"},
    {"MAIL", "MAILF", "MAILD"},    {"OCR", "OCRF", "OCRD"},    {"SCAN", "SCANF", "SCAND"},
    {"EXIT", "EXITF", "EXITD"},    {"HELP", "HELPF", "HELPD"}, {"INFO", "INFOF", "INFOD"},
};
const ButtonPosition kPositions[kButtonCount] = {
    {22, 26}, {22, 88}, {22, 151}, {22, 214}, {22, 277}, {469, 25}, {473, 109}, {472, 197}, {480, 276},
};
}  // namespace

bool IsButton(uint16_t id) { return id >= kFirstButton && id <= kLastButton; }
bool IsDestination(uint16_t id) { return id >= kImage && id <= kOcr; }
bool IsPageButton(uint16_t id) {
  return id == kPrinterButton || id == kFaxSettingButton || id == kEditMailButton || id == kBrowserButton;
}

int FacesForDraw(uint16_t id, int state, uint16_t active, FaceDraw out[2]) {
  if (!IsButton(id)) return 0;
  const bool destination = IsDestination(id);
  if (destination && id == active) return 0;
  switch (state) {
    case kStateHover:
    case kStateReleased:
      out[0] = {id, kFaceHover};
      return 1;
    case kStateNormal:
      out[0] = {id, kFaceNormal};
      if (destination && IsDestination(active)) {
        out[1] = {active, kFacePressed};
        return 2;
      }
      return 1;
    case kStatePressed:
      out[0] = {id, kFacePressed};
      if (destination && IsDestination(active)) {
        out[1] = {active, kFaceNormal};
        return 2;
      }
      return 1;
    default:
      return 0;
  }
}

const char* FaceBitmapName(uint16_t id, ButtonFace face) {
  if (!IsButton(id) || face < kFaceNormal || face > kFacePressed) return nullptr;
  return kFaceNames[id - kFirstButton][face];
}

unsigned TitleStringId(uint16_t label) { return IsPageButton(label) ? label : label + 34u; }

unsigned DescriptionStringId(uint16_t label, uint16_t active) {
  switch (label) {
    case kScan:
      // One text per destination: "Scans the image", "Copies the image", ...
      return IsDestination(active) ? 1067u + (active - kImage) : 1067u;
    case kPrinterButton:
      return 1073;
    case kFaxSettingButton:
      return 1074;
    case kEditMailButton:
      return 1075;
    case kBrowserButton:
      return 1072;
    default:
      return label + 52u;
  }
}

uint16_t ActiveFromStored(int stored) {
  return (stored < kImage || stored > kOcr) ? kImage : static_cast<uint16_t>(stored);
}

ButtonPosition PositionOf(uint16_t id) {
  return IsButton(id) ? kPositions[id - kFirstButton] : ButtonPosition{0, 0};
}

}  // namespace Panel
