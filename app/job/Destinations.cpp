// The destination table and the hand-offs it names.
#include "app/job/Destinations.h"

#include "app/PanelRules.h"
#include "app/job/HandOffs.h"
#include "app/output/ScanImage.h"
#include "app/settings/SettingsKeys.h"

namespace {
using namespace Panel;

const Destination kDestinations[] = {
    // An Image scan carries the SCAN button's identifier.
    {kImage, Keys::kScanSetting, kScan, kImageFormatJpeg, false, HandOffs::MakeEditorKnown,
     HandOffs::ToEditor, nullptr},
    {kCopy, Keys::kCopySetting, kCopy, 0, false, nullptr, HandOffs::ToCopier, nullptr},
    {kFax, Keys::kFaxSetting, kFax, 0, false, nullptr, HandOffs::ToFax, nullptr},
    {kMail, Keys::kMailSetting, kMail, kImageFormatJpeg, false, nullptr, HandOffs::ToMail, nullptr},
    {kOcr, Keys::kOcrSetting, kOcr, kImageFormatTiff, true, nullptr, HandOffs::ToOcr, nullptr},
};
}  // namespace

const Destination& DestinationFor(uint16_t id) {
  for (const Destination& destination : kDestinations) {
    if (destination.id == id) return destination;
  }
  return kDestinations[0];
}
