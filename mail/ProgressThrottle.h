// Which positions of the send's progress bar are handed to the control. Every new position
// repaints the bar at once, and under Wine a repaint costs milliseconds, so a position is shown
// only when it moves the bar by a pixel and the last repaint is 50 ms old; position 0 and the
// upper limit are always shown. What the user sees is the same. Times are tick counts in
// milliseconds; they may wrap. Platform-free.
#pragma once

#include <cstdint>

class CProgressThrottle {
 public:
  static const uint32_t kRepaintMs = 50;

  // A new range 0..upper on a bar `width` pixels wide; `shown` is the control's position.
  void SetRange(unsigned upper, int width, unsigned shown);
  // Whether `position` is to be handed to the control now; if so it counts as shown.
  bool Show(unsigned position, uint32_t nowMs);

 private:
  long long PixelOf(unsigned position) const;

  unsigned m_upper = 100;
  int m_width = 0;
  unsigned m_shown = 0;
  bool m_painted = false;  // a position of this range was shown
  uint32_t m_paintedAt = 0;
};
