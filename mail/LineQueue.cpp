// CLineQueue.
#include "mail/LineQueue.h"

void CLineQueue::SplitLines(const char* bytes, size_t count) {
  size_t at = 0;
  while (at < count) {
    size_t end = at;
    while (end < count && bytes[end] != '\n') ++end;
    if (end == count) {
      m_partial.str().append(bytes + at, count - at);
      return;
    }
    CString segment(bytes + at, end + 1 - at);
    if (m_partial.IsEmpty()) {
      m_lines.push_back(segment);
    } else {
      m_lines.push_back(m_partial + segment);
      m_partial.Empty();
    }
    at = end + 1;
  }
}

CString CLineQueue::PopLine() {
  if (m_lines.empty()) return CString();
  CString line = m_lines.front();
  m_lines.pop_front();
  return line;
}

void CLineQueue::Clear() {
  m_lines.clear();
  m_partial.Empty();
}
