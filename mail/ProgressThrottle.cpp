// CProgressThrottle.
#include "mail/ProgressThrottle.h"

void CProgressThrottle::SetRange(unsigned upper, int width, unsigned shown) {
  m_upper = upper;
  m_width = width;
  m_shown = shown;
  m_painted = false;
}

long long CProgressThrottle::PixelOf(unsigned position) const {
  const unsigned clamped = position < m_upper ? position : m_upper;
  return m_upper == 0 ? 0 : static_cast<long long>(clamped) * m_width / m_upper;
}

bool CProgressThrottle::Show(unsigned position, uint32_t nowMs) {
  // Positions past the upper limit (a range taken modulo 65536) stay on the last pixel.
  if (position != 0 && position != m_upper) {
    if (m_width > 0 && PixelOf(position) == PixelOf(m_shown)) return false;
    if (m_painted && nowMs - m_paintedAt < kRepaintMs) return false;
  }
  m_shown = position;
  m_painted = true;
  m_paintedAt = nowMs;
  return true;
}
