// The scanner status document and the reasons it gives.
#include "scan/escl/ScannerStatus.h"

namespace {
bool EndsWith(const std::string& text, const std::string& tail) {
  return !tail.empty() && text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }
}  // namespace

bool ParseScannerStatus(const XmlElement& root, const std::string& jobPath, ScannerStatus* status) {
  *status = ScannerStatus();
  if (root.name != "ScannerStatus") return false;
  status->state = root.ChildText("State");
  status->adfState = root.ChildText("AdfState");
  const XmlElement* jobs = root.Child("Jobs");
  if (!jobs || jobPath.empty()) return true;
  for (const XmlElement& job : jobs->children) {
    // The document names a job by its URI: absolute or a path, the same tail either way.
    if (job.name != "JobInfo" || !EndsWith(job.ChildText("JobUri"), jobPath)) continue;
    status->jobState = job.ChildText("JobState");
    if (const XmlElement* reasons = job.Child("JobStateReasons"))
      status->jobReason = reasons->ChildText("JobStateReason");
    break;
  }
  return true;
}

ScannerReason ReasonOf(const ScannerStatus& status, bool feeder) {
  const std::string& adf = status.adfState;
  if (Contains(adf, "Jam") || Contains(adf, "Mispick") || Contains(adf, "Multipick"))
    return ScannerReason::kJammed;
  if (Contains(adf, "DoorOpen") || Contains(adf, "HatchOpen") || Contains(adf, "CoverOpen") ||
      Contains(status.jobReason, "CoverOpen") || Contains(status.jobReason, "DoorOpen"))
    return ScannerReason::kCoverOpen;
  if (Contains(status.jobReason, "Jam")) return ScannerReason::kJammed;
  if (status.state == "Down" || status.state == "Stopped") return ScannerReason::kDown;
  if (feeder && (adf == "ScannerAdfEmpty" || Contains(status.jobReason, "InputTrayEmpty") ||
                 Contains(status.jobReason, "MediaEmpty")))
    return ScannerReason::kFeederEmpty;
  if (status.state == "Processing" || status.state == "Testing") return ScannerReason::kBusy;
  return ScannerReason::kNone;
}
