// How long a file operation is tried again while another program holds the file: an indexer,
// a virus scanner or a backup that opens a new file for a moment. Errors of any other kind are
// not tried again. Platform-free.
#pragma once

#include <cstdint>

class CInUseRetry {
 public:
  // About two seconds in steps of 50 ms.
  static constexpr uint32_t kLimitMs = 2000;
  static constexpr uint32_t kStepMs = 50;
  // The platform's errors for a file that another program has open (sharing violation, lock
  // violation, a section mapped over it).
  static bool IsInUse(uint32_t error);

  explicit CInUseRetry(uint32_t startMs) : m_startMs(startMs) {}
  // After a failure with `error` at `nowMs` (a clock that may wrap): true when the operation is
  // to be tried again after kStepMs.
  bool Again(uint32_t error, uint32_t nowMs) const;

 private:
  uint32_t m_startMs;
};
