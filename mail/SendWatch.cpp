// CSendWatch.
#include "mail/SendWatch.h"

CSendWatch::Verdict CSendWatch::Check(uint32_t nowMs, bool cancelled) const {
  const uint32_t stalled = nowMs - m_progressAt;
  if (stalled >= kTimeoutMs) return kTimedOut;
  if (cancelled && stalled >= kCancelGraceMs) return kGiveUp;
  return kWait;
}
