// Phase times of a scan job for the benchmark: when ORVANE_JOB_TIMES names a file, each mark
// appends "<phase> <seconds since SCAN>" to it, followed by what the process holds at that
// moment: "ws=<working set kB> peak=<peak working set kB> handles=<n> gdi=<n> user=<n>". Without
// the variable nothing is measured.
#pragma once

namespace JobTimes {
// SCAN was pressed: the clock starts.
void Start();
// A phase of the job ended.
void Mark(const char* phase);
}  // namespace JobTimes
