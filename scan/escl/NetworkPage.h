// A page from a network scanner (JPEG or PNG, as it arrived) decoded with GDI+ into the page
// file a TWAIN memory transfer writes: the same bitmap layout, rows bottom-up, the scan's
// resolution recorded, band by band so that only the decoder holds the whole page.
#pragma once

#include <string>

#include "framework/String.h"
#include "scan/escl/ScanSettings.h"

enum class PageWrite {
  kOk,
  kNotImage,   // GDI+ reads no picture in it
  kTooLarge,   // larger than the scanner's area at the resolution, or than a page file holds
  kDiskFull,   // the page file would not fit the disk
  kFileFailed  // the page file could not be written
};

PageWrite WriteNetworkPage(const std::string& encoded, const NetworkScanPlan& plan, const InputCaps& area,
                           const CString& path);
