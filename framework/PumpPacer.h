// When the sending socket looks at the thread's message queue: at every piece while messages
// keep coming (one message each time, so input is never starved), and once the queue was found
// empty, not again for 10 ms (a look costs a round trip to the window system, which per piece
// would dominate a large send). Times are tick counts in milliseconds; they may wrap.
// Platform-free.
#pragma once

#include <cstdint>

class CPumpPacer {
 public:
  static const uint32_t kIntervalMs = 10;

  bool Due(uint32_t nowMs) const { return m_busy || nowMs - m_lookedAt >= kIntervalMs; }
  // The queue was looked at; `dispatched` tells whether a message was taken from it.
  void Looked(uint32_t nowMs, bool dispatched) {
    m_busy = dispatched;
    m_lookedAt = nowMs;
  }

 private:
  bool m_busy = true;  // the first piece looks at once
  uint32_t m_lookedAt = 0;
};
