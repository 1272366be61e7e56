// The destination table and the hand-offs it names.
#include "app/output/Destinations.h"

#include "app/PanelRules.h"
#include "app/output/HandOffs.h"
#include "app/output/imaging/ScanImage.h"
#include "app/settings/SettingsKeys.h"

namespace {
using namespace Panel;

const Destination kDestinations[] = {
    // An Image scan carries the SCAN button's identifier.
    {kImage, Keys::kScanSetting, kScan, kImageFormatJpeg, false, false, HandOffs::MakeEditorKnown,
     HandOffs::ToEditor, nullptr},
    {kCopy, Keys::kCopySetting, kCopy, 0, false, false, nullptr, HandOffs::ToCopier, nullptr},
    {kFax, Keys::kFaxSetting, kFax, 0, false, false, nullptr, HandOffs::ToFax, nullptr},
    {kMail, Keys::kMailSetting, kMail, kImageFormatJpeg, false, false, nullptr, HandOffs::ToMail, nullptr},
    {kOcr, Keys::kOcrSetting, kOcr, kImageFormatTiff, false, true, nullptr, HandOffs::ToOcr, nullptr},
};

// The same destinations when the user chose PDF: a Mail job's pages gather and go once, after
// the last, as one PDF; an OCR job's page is kept as a searchable PDF.
const Destination kPdfDestinations[] = {
    {kMail, Keys::kMailSetting, kMail, kImageFormatJpeg, true, false, nullptr, HandOffs::GatherForPdf,
     HandOffs::MailAsPdf},
    {kOcr, Keys::kOcrSetting, kOcr, kImageFormatTiff, false, true, nullptr, HandOffs::ToOcrAsPdf, nullptr},
};

// Compact PDF: the pages are kept as the scanner gave them (the compact page is made from the
// true pixels); a Mail job's go once, after the last; an OCR job's page is read by the engine
// and kept with its words laid over it.
const Destination kCompactDestinations[] = {
    {kMail, Keys::kMailSetting, kMail, 0, true, false, nullptr, HandOffs::GatherForPdf,
     HandOffs::MailAsCompactPdf},
    {kOcr, Keys::kOcrSetting, kOcr, 0, false, true, nullptr, HandOffs::ToOcrAsCompactPdf, nullptr},
};

template <size_t N>
const Destination* Find(const Destination (&table)[N], uint16_t id) {
  for (const Destination& destination : table) {
    if (destination.id == id) return &destination;
  }
  return nullptr;
}
}  // namespace

const Destination& DestinationFor(uint16_t id, int pdfChoice) {
  if (pdfChoice == Keys::kAttachCompactPdf) {
    if (const Destination* chosen = Find(kCompactDestinations, id)) return *chosen;
  }
  if (pdfChoice == Keys::kAttachPdf) {
    if (const Destination* chosen = Find(kPdfDestinations, id)) return *chosen;
  }
  const Destination* found = Find(kDestinations, id);
  return found ? *found : kDestinations[0];
}

const char* PdfChoiceKey(uint16_t id) {
  if (id == kMail) return Keys::kAttachAs;
  return id == kOcr ? Keys::kSaveAs : nullptr;
}
