// A network scanner's status document (ScannerStatus) and what it says about a refusal:
// busy, the feeder empty, jammed or open, or the scanner down. Platform-free.
#pragma once

#include <string>

#include "scan/escl/XmlReader.h"

enum class ScannerReason {
  kNone,
  kBusy,         // scanning for someone else
  kFeederEmpty,  // no paper in the feeder
  kJammed,       // paper jam or mispick in the feeder
  kCoverOpen,    // the feeder's door or the lid is open
  kDown,         // stopped or out of order
};

struct ScannerStatus {
  std::string state;     // pwg:State: Idle, Processing, Testing, Stopped, Down
  std::string adfState;  // scan:AdfState, ScannerAdfLoaded say; empty without a feeder
  std::string jobState;  // of the job asked about, when the document lists it
  std::string jobReason;
  bool FeederLoaded() const { return adfState == "ScannerAdfLoaded"; }
};

// False when the document is not a scanner status. `jobPath` (the job's path, "/eSCL/
// ScanJobs/12") picks the job whose state is read; empty for none.
bool ParseScannerStatus(const XmlElement& root, const std::string& jobPath, ScannerStatus* status);

// Why the scanner refuses or ended a job, as far as its status tells; an empty feeder counts
// only for a job from the feeder.
ScannerReason ReasonOf(const ScannerStatus& status, bool feeder);
