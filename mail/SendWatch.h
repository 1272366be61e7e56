// How long a write may wait for a peer that takes no bytes: 90 s without progress is a
// time-out (as for a reply), and once Cancel is pressed, half a second without progress gives
// the message up, so that a server that stopped reading cannot hold the program. Times are
// tick counts in milliseconds; they may wrap. Platform-free.
#pragma once

#include <cstdint>

class CSendWatch {
 public:
  enum Verdict { kWait, kTimedOut, kGiveUp };
  static const uint32_t kTimeoutMs = 90000;
  static const uint32_t kCancelGraceMs = 500;

  // A write starts, or the peer took bytes.
  void Progress(uint32_t nowMs) { m_progressAt = nowMs; }
  Verdict Check(uint32_t nowMs, bool cancelled) const;

 private:
  uint32_t m_progressAt = 0;
};
