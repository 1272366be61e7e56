// Fuzz target: what a network scanner sends and what a user types. The first byte picks the
// input: a document read as capabilities (then planned against a request from the rest) or as
// a status, or a typed scanner address. Properties: the plan's region lies within the source's
// area at a resolution the source offers, its settings document reads back, and a parsed
// address keeps its form through a second parse.
#include <string>

#include "scan/escl/Capabilities.h"
#include "scan/escl/Numbers.h"
#include "scan/escl/ScanSettings.h"
#include "scan/escl/ScannerAddress.h"
#include "scan/escl/ScannerStatus.h"
#include "scan/escl/XmlReader.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
void Document(CFuzzInput& in) {
  const std::string request = in.Blob();
  const std::string text = in.Rest();
  XmlElement root;
  if (ParseXml(text.data(), text.size(), &root) != XmlError::kNone) return;
  ScannerStatus status;
  if (ParseScannerStatus(root, "/eSCL/ScanJobs/1", &status)) ReasonOf(status, status.FeederLoaded());
  ScannerCaps caps;
  if (!ParseCapabilities(root, &caps)) return;
  CFuzzInput r(reinterpret_cast<const uint8_t*>(request.data()), request.size());
  AcquireRequest req = {};
  req.sizeCode = static_cast<uint16_t>(r.Range(0, 4));
  req.pixelType = r.U16();
  req.resolution = r.U16();
  req.units = static_cast<uint16_t>(r.Range(0, 6));
  req.brightness = r.I32();
  req.contrast = r.I32();
  req.frameLeft = r.Float();
  req.frameTop = r.Float();
  req.frameRight = r.Float();
  req.frameBottom = r.Float();
  NetworkScanPlan plan;
  if (PlanScan(req, caps, r.Bool(), &plan) != PlanError::kNone) return;
  const InputCaps& source = plan.feeder ? caps.feeder : caps.platen;
  FUZZ_CHECK(plan.xOffset >= 0 && plan.yOffset >= 0 && plan.width >= 1 && plan.height >= 1);
  FUZZ_CHECK(plan.xOffset + plan.width <= source.maxWidth && plan.yOffset + plan.height <= source.maxHeight);
  FUZZ_CHECK(plan.resolution >= 1 && plan.resolution <= kMaxResolution);
  FUZZ_CHECK(OffersResolution(source, plan.resolution));
  FUZZ_CHECK(plan.pageResolution >= 1 && plan.pageResolution <= plan.resolution);
  XmlElement settings;
  const std::string xml = ScanSettingsXml(plan);
  FUZZ_CHECK(ParseXml(xml.data(), xml.size(), &settings) == XmlError::kNone);
  FUZZ_CHECK(settings.ChildText("XResolution") == std::to_string(plan.resolution));
}

void Address(CFuzzInput& in) {
  const std::string typed = in.Text(1200);
  ScannerUrl url;
  if (ParseScannerAddress(typed, &url)) {
    ScannerUrl again;
    FUZZ_CHECK(ParseScannerAddress(url.Text(), &again) && again.Text() == url.Text());
    const std::string job = JobPath(url, in.Text(300));
    FUZZ_CHECK(job.empty() || (job[0] == '/' && job.find("..") == std::string::npos));
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  if (in.Range(0, 1) == 0)
    Document(in);
  else
    Address(in);
  return 0;
}
